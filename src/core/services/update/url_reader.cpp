#include "core/services/update/url_reader.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>

#include "core/services/update/http_status.h"

namespace tarnwick::update {

namespace {

// The library's error texts are cut to this many characters.
constexpr std::size_t kErrorTextMax = 100;
// A reply body beyond this is not kept: the caller reads a short record.
constexpr std::size_t kMaxBody = 1U << 20;

// Redirects are followed this many times, to http and https only.
constexpr long kMaxRedirects = 3;
constexpr const char* kWebProtocols = "http,https";

struct Transfer {
  std::vector<std::uint8_t> body;
  bool truncated = false;
  // The last reply's header block reached its empty line: a reply cut inside
  // its headers is no reply, whatever status line it began with.
  bool headersEnded = false;
  const std::atomic<bool>* cancel = nullptr;
};

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const std::size_t n = size * count;
  const std::string_view line(data, n);
  if (line.starts_with("HTTP/")) {
    t.headersEnded = false;  // a new reply (after a redirect or a 100 Continue)
  } else if (line == "\r\n" || line == "\n") {
    t.headersEnded = true;
  }
  return n;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const std::size_t n = size * count;
  const std::size_t room = kMaxBody - t.body.size();
  if (n > room) {
    t.body.insert(t.body.end(), data, data + room);
    t.truncated = true;
    return 0;  // ends the transfer; what was kept is the document
  }
  t.body.insert(t.body.end(), data, data + n);
  return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto& t = *static_cast<Transfer*>(user);
  return t.cancel != nullptr && t.cancel->load() ? 1 : 0;
}

void InitLibraryOnce() {
  // curl_global_init is not thread-safe; the first reader runs it.
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

std::size_t UrlFile::Read(void* buffer, std::size_t count) {
  if (!open_ || position_ >= bytes_.size()) return 0;
  const std::size_t n = std::min(count, bytes_.size() - position_);
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

bool UrlFile::Seek(std::size_t offset) {
  if (!open_ || offset > bytes_.size()) return false;
  position_ = offset;
  return true;
}

void UrlFile::Close() {
  open_ = false;
  bytes_.clear();
  position_ = 0;
}

UrlReader::UrlReader(UrlTimeouts timeouts, const std::atomic<bool>* cancel)
    : timeouts_(timeouts), cancel_(cancel) {
  InitLibraryOnce();
  curl_ = curl_easy_init();
}

UrlReader::~UrlReader() { CloseAll(); }

bool UrlReader::Open(const std::string& url, unsigned transferFlags, unsigned acceptedStatus) {
  (void)transferFlags;  // every HTTP transfer is binary
  file_.reset();
  error_ = {};
  status_ = 0;
  CURL* curl = static_cast<CURL*>(curl_);
  if (curl == nullptr) {
    error_ = {UrlError::Kind::Transfer, curl_easy_strerror(CURLE_FAILED_INIT), 0};
    return false;
  }
  Transfer t;
  t.cancel = cancel_;
  char errorBuffer[CURL_ERROR_SIZE] = {};
  curl_easy_reset(curl);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, kWebProtocols);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, kWebProtocols);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // time-outs without SIGALRM: we are a thread
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, timeouts_.connectMs);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeouts_.totalMs);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
  CURLcode rc = curl_easy_perform(curl);
  if (rc == CURLE_OK && !t.headersEnded) {
    rc = CURLE_PARTIAL_FILE;
    errorBuffer[0] = '\0';
  }
  long code = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
  status_ = code > 0 ? static_cast<unsigned>(code) : 0;
  if (rc != CURLE_OK && !(rc == CURLE_WRITE_ERROR && t.truncated)) {
    std::string text = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(rc);
    if (text.size() > kErrorTextMax) text.resize(kErrorTextMax);
    error_ = {UrlError::Kind::Transfer, text, 0};
    return false;
  }
  if (acceptedStatus != 0) {
    HttpStatusResult checked = CheckHttpStatus(status_, acceptedStatus);
    if (!checked.accepted) {
      error_ = {UrlError::Kind::HttpStatus, std::move(checked.message), status_};
      return false;
    }
  }
  file_ = std::make_unique<UrlFile>(std::move(t.body));
  return true;
}

void UrlReader::CloseAll() {
  if (file_) file_->Close();
  file_.reset();
  if (curl_ != nullptr) curl_easy_cleanup(static_cast<CURL*>(curl_));
  curl_ = nullptr;
}

}  // namespace tarnwick::update
