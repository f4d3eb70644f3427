// An HTTP GET on libcurl: the reply's body is kept in memory as a small file
// the caller reads and seeks, and its status code is checked against the
// reply classes the caller accepts. Up to three redirects are followed, to
// http and https only; a reply cut before the end of its headers or of its
// announced length is a failed transfer. The proxy comes from the environment
// (http_proxy, no_proxy), as libcurl takes it by default. Connecting and the
// whole transfer have time-outs, and a cancel flag ends a transfer within a
// fraction of a second, so nothing waits on a silent server.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick::update {

// Transfer flags. HTTP has only the binary transfer; the flag word is kept
// so a caller states what it wants.
inline constexpr unsigned kTransferBinary = 1;

// What went wrong opening a URL.
struct UrlError {
  enum class Kind { None, Transfer, HttpStatus };
  Kind kind = Kind::None;
  std::string text;     // the library's own error text, or the status message
  unsigned status = 0;  // for HttpStatus
};

// The body of one reply: read, seek and close as a local file.
class UrlFile {
 public:
  explicit UrlFile(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  // Copies up to `count` bytes from the position on; returns how many.
  std::size_t Read(void* buffer, std::size_t count);
  bool Seek(std::size_t offset);
  void Close();
  bool IsOpen() const { return open_; }
  std::size_t size() const { return bytes_.size(); }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t position_ = 0;
  bool open_ = true;
};

struct UrlTimeouts {
  long connectMs = 5000;
  long totalMs = 15000;
};

class UrlReader {
 public:
  explicit UrlReader(UrlTimeouts timeouts = {}, const std::atomic<bool>* cancel = nullptr);
  ~UrlReader();
  UrlReader(const UrlReader&) = delete;
  UrlReader& operator=(const UrlReader&) = delete;

  // GETs `url`. With acceptedStatus (bits of http_status.h) not 0 the
  // reply's status is checked; a refused one closes the file. True when a
  // file is open; otherwise error() says why.
  bool Open(const std::string& url, unsigned transferFlags, unsigned acceptedStatus);
  // The opened file, or nullptr.
  UrlFile* GetFile() { return file_.get(); }
  // Closes and drops the file and ends the session.
  void CloseAll();
  const UrlError& error() const { return error_; }
  unsigned status() const { return status_; }

 private:
  UrlTimeouts timeouts_;
  const std::atomic<bool>* cancel_;
  void* curl_ = nullptr;  // CURL*, kept out of this header
  std::unique_ptr<UrlFile> file_;
  UrlError error_;
  unsigned status_ = 0;
};

}  // namespace tarnwick::update
