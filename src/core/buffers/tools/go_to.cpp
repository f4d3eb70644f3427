#include "core/buffers/tools/go_to.h"

#include <cstdint>
#include <optional>

#include "core/app/text_ids.h"
#include "core/app/window_services.h"
#include "core/buffers/hex_view.h"

namespace tarnwick::buffers {
namespace {

constexpr std::size_t kMostDigits = 8;

std::optional<std::uint64_t> ParseHex(const std::string& text) {
  if (text.empty() || text.size() > kMostDigits) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : text) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (d < 0) return std::nullopt;
    v = v << 4 | static_cast<std::uint64_t>(d);
  }
  return v;
}

}  // namespace

GoToResult GoToAddress(HexView& view, WindowServices& services, const std::string& addressText,
                       bool wordChip) {
  GoToResult r;
  if (addressText.empty()) {
    r.problem = itext::kGoToNoAddress;
  } else if (const std::optional<std::uint64_t> address = ParseHex(addressText)) {
    r.shown = view.ShowAddress(*address * (wordChip ? 2 : 1));
    return r;
  } else {
    r.problem = itext::kCharacterNotAllowed;
  }
  services.Box(services.texts().itext(r.problem), BoxIcon::Warning);
  return r;
}

}  // namespace tarnwick::buffers
