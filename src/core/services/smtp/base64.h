// Base64 with the standard alphabet and "=" padding: the body of a mail
// that is not plain ASCII and the text of its encoded header words.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick::smtp {

// Without line breaks.
std::string Base64Encode(std::string_view bytes);
// In lines of at most `lineLength` characters, each ending in CR LF.
std::string Base64Lines(std::string_view bytes, std::size_t lineLength);

}  // namespace tarnwick::smtp
