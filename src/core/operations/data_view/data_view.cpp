#include "core/operations/data_view/data_view.h"

#include "core/app/hex_text.h"
#include "core/app/text_format.h"
#include "core/app/text_ids.h"
#include "core/buffers/file_image.h"
#include "core/catalogue/chip_selection.h"
#include "core/operations/chip/detection.h"
#include "core/operations/op_support.h"
#include "protocol/protocol.h"

namespace tarnwick {
namespace {

std::string Value(const std::uint8_t* bytes, bool word) {
  std::string s = ZeroFilled("%2X", bytes[0]);
  if (word) s += ZeroFilled("%2X", bytes[1]);
  return s;
}

}  // namespace

DataViewResult ViewData(OperationContext& ctx, const std::string& addressText) {
  DataViewResult r;
  if (addressText.empty()) {
    r.problem = itext::kDataViewNoAddress;
    return r;
  }
  const std::optional<std::uint64_t> typed = ParseHexText(addressText);
  if (!typed) {
    r.problem = itext::kCharacterNotAllowed;
    return r;
  }
  const int detected = DetectChip(ctx, true, true);
  const bool word = (ctx.frame.bytes[protocol::kFrameCommand] & protocol::kWordOrganisedBit) != 0;
  const std::uint64_t address = *typed * (word ? 2 : 1);

  buffers::FileImage& image = ctx.image;
  if (!image.loaded()) {
    r.fileValue = ctx.I(itext::kNotAvailable);
    r.state = ctx.I(itext::kNoFileLoaded);
  } else if (address < image.size()) {
    std::uint8_t bytes[2] = {0xFF, 0xFF};
    std::uint8_t source[2];
    std::uint64_t sourceLength = 0;
    image.ReadPage(address, bytes, source, 2, &sourceLength);
    r.showAddress = address;
    r.fileValue = Value(bytes, word);
    r.state = ctx.I(itext::kFileValueRead);
  } else {
    r.fileValue = ctx.I(itext::kOutOfRange);
    r.state = ctx.I(itext::kBeyondFileEnd);
  }

  if (ctx.detection.refusal) {
    r.chipValue = ctx.I(itext::kNotAvailable);
    r.state += "," + ctx.I(itext::kBoxRefused);
  } else if (detected == kDetectNoDevice) {
    r.chipValue = ctx.I(itext::kNotAvailable);
    r.state += "," + ctx.I(itext::kBoxNotFound);
  } else if (detected == kDetectNoAnswer) {
    // No chip answered any probe (an empty socket): the box would answer
    // FF for a chip that is not there, so nothing is asked, as a read stops.
    r.chipValue = ctx.I(itext::kNotAvailable);
    r.state += "," + ctx.I(itext::kNoIdAnswer);
  } else if (address >= ctx.selection.ChipSize()) {
    r.state += ctx.I(itext::kBeyondChipSize);
    r.chipValue = ctx.I(itext::kOutOfRange);
  } else {
    const std::uint8_t payload[4] = {
        static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
        static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    std::uint8_t answer[2] = {0, 0};
    if (Send(ctx, protocol::CMD_PEEK, 100, payload, 4) && Read(ctx, answer, 2, 100) == 2) {
      r.chipValue = Value(answer, word);
      r.state += ctx.I(itext::kChipValueRead);
      r.chipRead = true;
    } else {
      r.chipValue = ctx.I(itext::kNotAvailable);
      r.state += "," + ctx.I(itext::kBoxRefused);
    }
  }
  r.state += "...";
  ctx.ui.ShowStatus(ctx.I(itext::kDataViewDone));
  return r;
}

}  // namespace tarnwick
