// Starts tests/support/http_test_server.py on 127.0.0.1 for one test and
// stops it at the end (its standard input closes). The document it serves,
// a redirect or a broken reply, is set through files in the test's own
// directory.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tarnwick::test {

class HttpTestServer {
 public:
  // `dir` holds the server's "status", "body" and "port" files.
  explicit HttpTestServer(std::filesystem::path dir) : dir_(std::move(dir)) {
    const std::string cmd = std::string("/usr/bin/python3 ") + TARNWICK_SOURCE_DIR +
                            "/tests/support/http_test_server.py '" + dir_.string() + "' > '" +
                            (dir_ / "port").string() + "'";
    server_ = ::popen(cmd.c_str(), "w");
    for (int i = 0; server_ != nullptr && i < 200 && port_ == 0; ++i) {
      ::usleep(25000);
      std::ifstream in(dir_ / "port");
      std::string text{std::istreambuf_iterator<char>(in), {}};
      if (!text.empty() && text.back() == '\n') port_ = std::stoi(text);
    }
  }
  ~HttpTestServer() {
    if (server_ != nullptr) ::pclose(server_);
  }
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  int port() const { return port_; }
  // "127.0.0.1:port": the [update] host of services.ini.
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
  // The document: its status and its bytes, straight at its address.
  void Serve(const std::vector<unsigned char>& body, int status = 200) const {
    Write("body", std::string(body.begin(), body.end()));
    std::ofstream(dir_ / "status") << status << "\n";
    for (const char* f : {"raw", "location", "redirects"}) std::filesystem::remove(dir_ / f);
  }
  // The document after `hops` redirects on this server.
  void Redirect(int hops) const { std::ofstream(dir_ / "redirects") << hops << "\n"; }
  // The document's address redirects to `url`.
  void RedirectTo(const std::string& url) const { Write("location", url); }
  // The document's whole reply, as it is, then the connection closes.
  void ServeRaw(const std::string& reply) const { Write("raw", reply); }

 private:
  void Write(const char* name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  std::filesystem::path dir_;
  FILE* server_ = nullptr;
  int port_ = 0;
};

}  // namespace tarnwick::test
