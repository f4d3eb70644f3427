// Base64 with the standard alphabet and "=" padding, no line breaks: what
// AUTH LOGIN sends for the user name and the password.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick::smtp {

std::string Base64Encode(std::string_view bytes);

}  // namespace tarnwick::smtp
