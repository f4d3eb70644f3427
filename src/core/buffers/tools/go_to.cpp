#include "core/buffers/tools/go_to.h"

#include <cstdint>
#include <optional>

#include "core/app/hex_text.h"
#include "core/app/text_ids.h"
#include "core/app/window_services.h"
#include "core/buffers/hex_view.h"

namespace tarnwick::buffers {
namespace {

constexpr std::size_t kMostDigits = 8;

}  // namespace

GoToResult GoToAddress(HexView& view, WindowServices& services, const std::string& addressText,
                       bool wordChip) {
  GoToResult r;
  if (addressText.empty()) {
    r.problem = itext::kGoToNoAddress;
  } else if (const std::optional<std::uint64_t> address = ParseHexText(addressText, kMostDigits)) {
    r.shown = view.ShowAddress(*address * (wordChip ? 2 : 1));
    return r;
  } else {
    r.problem = itext::kCharacterNotAllowed;
  }
  services.Box(services.texts().itext(r.problem), BoxIcon::Warning);
  return r;
}

}  // namespace tarnwick::buffers
