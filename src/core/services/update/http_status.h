// The HTTP status check of the update reader: which reply classes a caller
// accepts, and the message a refused status carries. The check only returns
// the message; the front end shows it.
#pragma once

#include <string>

namespace tarnwick::update {

// Bits of acceptedStatus: one per reply class.
inline constexpr unsigned kAccept2xx = 1;
inline constexpr unsigned kAccept3xx = 2;
inline constexpr unsigned kAccept4xx = 4;
inline constexpr unsigned kAccept5xx = 8;

struct HttpStatusResult {
  bool accepted = false;
  std::string message;  // empty when accepted
};

// `status` is the reply's numeric code, 0 when it could not be read.
HttpStatusResult CheckHttpStatus(unsigned status, unsigned acceptedStatus);

}  // namespace tarnwick::update
