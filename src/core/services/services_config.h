// The support services' addresses, read from "services.ini" in the base
// directory: the mail server and account, the support mailbox, the update
// host and the maker's links. None of them is written into the program; a
// value that is not set takes the service's failure path.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

struct ServicesConfig {
  struct Mail {
    std::string server;       // host name or numeric address
    std::uint16_t port = 25;  // 0: the "mail" service's port
    std::string login;        // also the sender and the reply-to address
    std::string password;
    std::string support;  // the one To recipient
    std::string xMailer;
  } mail;
  struct Update {
    std::string host;  // host or host:port of the update document
  } update;
  struct Links {
    std::string web;
    std::string contact;
  } links;
};

inline constexpr const char* kServicesFileName = "services.ini";

// Reads `path`. A missing file leaves every value unset and is no problem;
// a file that is there but cannot be read (a directory, a FIFO, no
// permission) or a line that is not understood gives `problem`, naming the
// file and the line. Values read before a bad line are kept.
ServicesConfig LoadServicesConfig(const std::string& path, std::string& problem);
// The same from text; `name` names the source in `problem`.
ServicesConfig ParseServicesConfig(const std::string& text, const std::string& name,
                                   std::string& problem);

}  // namespace tarnwick
