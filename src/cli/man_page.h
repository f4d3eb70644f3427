// The manual page tarnwick-cli(1) in roff, made from the command table so it
// lists exactly the commands `tarnwick-cli help` lists.
#pragma once

#include <string>

namespace tarnwick::cli {

std::string ManPageText();

// `text` with roff's special characters escaped for use in running text.
std::string RoffEscape(const std::string& text);

}  // namespace tarnwick::cli
