#include "core/buffers/tools/file_fill.h"

#include <optional>

#include "core/app/hex_text.h"
#include "core/app/text_format.h"
#include "core/app/text_ids.h"
#include "core/app/window_services.h"
#include "core/buffers/file_image.h"

namespace tarnwick::buffers {
namespace {

std::optional<std::uint64_t> Parse(const std::string& text, int base, std::size_t maxDigits) {
  return ParseNumberText(text, base, maxDigits);
}

}  // namespace

FileFillResult FillFileImage(FileImage& image, WindowServices& services,
                             const FileFillFields& fields, bool wordChip) {
  FileFillResult r;
  r.nextAddress = fields.address;
  if (fields.address.empty())
    r.message = itext::kEnterAddress;
  else if (fields.length.empty())
    r.message = itext::kEnterLength;
  else if (fields.data.empty())
    r.message = itext::kEnterData;
  if (r.message != 0) return r;
  const std::optional<std::uint64_t> address = Parse(fields.address, 16, 8);
  const std::optional<std::uint64_t> length = Parse(fields.length, 10, 10);
  const std::optional<std::uint64_t> value = Parse(fields.data, 16, 2);
  if (!address || !length || !value) {
    r.message = itext::kCharacterNotAllowed;
    return r;
  }
  if (!image.editMode() || !image.loaded()) {
    services.ShowStatus(services.texts().itext(itext::kFileFillNeedsEditMode), true);
    r.message = itext::kFileFillNeedsEditMode;
    return r;
  }
  const std::uint64_t scale = wordChip ? 2 : 1;
  std::uint64_t at = *address * scale;
  // "From the end" appends wherever the address field points.
  if (fields.fromEnd) at = image.size();
  if (!image.FillRange(at, *length * scale, static_cast<std::uint8_t>(*value))) {
    services.ShowStatus(services.texts().itext(itext::kWorkFileFailed), true, true);
    r.message = itext::kWorkFileFailed;
    return r;
  }
  r.done = true;
  r.message = itext::kFileFillDone;
  r.tooLargeToShow = (image.size() + 15) / 16 > kMostShownRows;
  if (fields.fromEnd)
    r.nextAddress = Format("%llX", static_cast<unsigned long long>(image.size() / scale));
  services.ShowStatus(services.texts().itext(itext::kFileFillDone));
  return r;
}

}  // namespace tarnwick::buffers
