#include "core/services/smtp/base64.h"

namespace tarnwick::smtp {
namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
}

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                       static_cast<unsigned char>(bytes[i + 1]) << 8 |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[v >> 18 & 63];
    out += kAlphabet[v >> 12 & 63];
    out += kAlphabet[v >> 6 & 63];
    out += kAlphabet[v & 63];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (rest == 2) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kAlphabet[v >> 18 & 63];
    out += kAlphabet[v >> 12 & 63];
    out += rest == 2 ? kAlphabet[v >> 6 & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace tarnwick::smtp

namespace tarnwick::smtp {

std::string Base64Lines(std::string_view bytes, std::size_t lineLength) {
  const std::string all = Base64Encode(bytes);
  std::string out;
  out.reserve(all.size() + all.size() / lineLength * 2 + 2);
  for (std::size_t at = 0; at < all.size(); at += lineLength) {
    out += all.substr(at, lineLength);
    out += "\r\n";
  }
  return out;
}

}  // namespace tarnwick::smtp
