// The support services' addresses, read from "services.ini" in the base
// directory: the mail server and account, the support mailbox, the update
// host and the maker's links. None of them is written into the program; a
// value that is not set takes the service's failure path.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

// How the mail reaches its server: auto takes STARTTLS when the server offers
// it (and implicit TLS on port 465), starttls refuses to log in without it,
// implicit speaks TLS from the first byte, off never uses TLS.
enum class MailTls : std::uint8_t { Auto, StartTls, Implicit, Off };

struct ServicesConfig {
  struct Mail {
    std::string server;       // host name or numeric address
    std::uint16_t port = 25;  // 0: the "mail" service's port
    std::string login;        // also the sender and the reply-to address
    std::string password;
    std::string support;  // the one To recipient
    std::string xMailer;
    MailTls tls = MailTls::Auto;
    std::string caFile;  // a private certificate authority's certificates (PEM)
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

// Reads `path`. A value in double quotes keeps every character between them
// (write \" and \\ for a quote and a backslash); any other value ends at a
// ';' or '#' that follows a blank. A missing file leaves every value unset and is no problem;
// a file that is there but cannot be read (a directory, a FIFO, no
// permission) or a line that is not understood gives `problem`, naming the
// file and the line. Values read before a bad line are kept.
ServicesConfig LoadServicesConfig(const std::string& path, std::string& problem);
// A warning when the file at `path` holds the mail password and other users
// may read it; empty otherwise.
std::string ServicesPasswordWarning(const std::string& path, const ServicesConfig& config);
// The same from text; `name` names the source in `problem`.
ServicesConfig ParseServicesConfig(const std::string& text, const std::string& name,
                                   std::string& problem);

}  // namespace tarnwick
