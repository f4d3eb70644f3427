#include "core/operations/chip/detection.h"

#include <algorithm>
#include <array>

#include "core/app/text_format.h"
#include "core/app/text_ids.h"
#include "core/buffers/file_image.h"
#include "core/catalogue/chip_selection.h"
#include "core/device/device_link.h"
#include "core/operations/op_support.h"
#include "protocol/protocol.h"
#include "resources/ids.h"

namespace tarnwick {
namespace {

using namespace protocol;

struct Probe {
  bool fiveVolt;
  int lowNibbleRule;  // see WriteProbe
  std::uint8_t subcode;
  int modeClass;
};

// The access modes in the order they are tried. Probes 1-5 are the SPI
// flash read-ID variants; the rest put the box into the EEPROM families.
constexpr std::array<Probe, 12> kProbes{{
    {false, 0, 0x00, 3},
    {false, 0, 0x20, 3},
    {false, 0, 0x60, 3},
    {false, 0, 0x70, 3},
    {false, 0, 0x80, 3},
    {true, 1, 0x00, 5},
    {false, 4, 0x00, 3},
    {true, 2, 0x00, 5},
    {true, 3, 0x00, 5},
    {true, 13, 0x10, 5},
    {true, 13, 0x01, 5},
    {true, 13, 0x11, 5},
}};

void WriteProbe(OperationContext& ctx, const Probe& p) {
  auto& b = ctx.frame.bytes;
  if (p.fiveVolt) {
    b[kFrameCommand] |= kFiveVoltBit;
  } else {
    b[kFrameCommand] &= static_cast<std::uint8_t>(~kFiveVoltBit);
  }
  std::uint8_t c = b[kFrameClass];
  switch (p.lowNibbleRule) {
    case 0:  // adapter flag in bit 7, everything else clear
      c = ctx.detection.adapter.load() ? kAdapterBit : 0;
      break;
    case 1:
    case 2:
    case 3:  // high nibble kept, low nibble = class
      c = static_cast<std::uint8_t>((c & 0xF0) | p.lowNibbleRule);
      break;
    case 4:  // bits 0, 1 and 3 cleared, bit 2 set
      c = static_cast<std::uint8_t>((c & ~0x0B) | 0x04);
      break;
    case 13:  // bits 2 and 3 cleared, bits 0 and 1 set
      c = static_cast<std::uint8_t>((c & ~0x0C) | 0x03);
      break;
  }
  b[kFrameClass] = c;
  b[kFrameSubcode] = p.subcode;
}

int CountZeros(const std::string& s) {
  return static_cast<int>(std::count(s.begin(), s.end(), '0'));
}

// The family answers and the type-list entry each selects.
struct Family {
  std::uint32_t code;
  int typeIndex;
  int message;  // itext entry
};
constexpr std::array<Family, 4> kFamilies{{
    {kIdFamilyI2c, 1, itext::kNoIdFamily1},
    {kIdFamilyMicrowire, 2, itext::kNoIdFamily2},
    {kIdFamilySpiEeprom, 3, itext::kNoIdFamily3},
    {kIdFamilyClass4, 4, itext::kNoIdFamily4},
}};

}  // namespace

std::string IdText(std::uint32_t id) { return ZeroFilled("%6X", id & 0xFFFFFFu); }

std::vector<std::uint32_t> EvaluateIdentifications(std::vector<std::uint32_t> ids) {
  if (ids.size() >= 3 && ids[0] == ids[2]) ids[2] = 0;
  if (ids.size() >= 4 && ids[1] == ids[3]) ids[3] = 0;
  std::erase_if(ids, [](std::uint32_t v) { return v == 0 || v == 0xFFFF || v == 0xFFFFFF; });
  return ids;
}

int DetectChip(OperationContext& ctx, bool checkLink, bool quiet) {
  WindowServices& ui = ctx.ui;
  const bool asJob23 = ctx.RunningAs(Job::DetectUser);
  ctx.detection.refusal = false;
  ctx.detection.selectionChanged = false;
  ctx.detection.severalMatches = false;
  if (!ctx.image.loaded()) ui.DisableCommand(ids::kDataView);

  auto failLink = [&](int message) {
    ui.ShowStatus(ctx.I(message), true);
    if (!quiet) ui.Box(ctx.I(message), BoxIcon::Warning);
    ui.DisableCommand(ids::kChipFill);
  };

  if (checkLink) {
    if (!ctx.link.DevicePresent()) {
      failLink(itext::kBoxNotFound);
      return kDetectNoDevice;
    }
    if (ctx.link.IsOpen()) ctx.link.CloseLink();
    ctx.link.ResetLink();
    UsbHandle h = ctx.link.OpenDevice(kVendorId, kProductId);
    ctx.link.ConfigureAndClaim(h, kConfiguration, kInterface);
    if (!ctx.link.IsOpen()) {
      failLink(itext::kBoxNotAnswering);
      return kDetectNoDevice;
    }
  }

  // Adapter: exactly one byte 1 means fitted.
  {
    Send(ctx, CMD_ADAPTER_QUERY, 1000);
    std::uint8_t answer[8] = {};
    const int n = Read(ctx, answer, 1, 1000);
    const bool fitted = n == 1 && answer[0] == kAdapterFitted;
    ctx.detection.adapter = fitted;
    ctx.selection.SetAdapterFlag(fitted);
    auto& c = ctx.frame.bytes[kFrameClass];
    c = fitted ? static_cast<std::uint8_t>(c | kAdapterBit)
               : static_cast<std::uint8_t>(c & ~kAdapterBit);
    ui.surface().SetCommandEnabled(ids::kAdapterPicture, fitted);
  }
  const int probeLimit = ctx.detection.adapter ? 5 : 12;

  int result = kDetectNoAnswer;
  bool decided = false;
  bool ranOut = false;
  std::vector<std::uint32_t> idList;
  int previousClass = 0;

  for (int i = 0; i < probeLimit && !decided; ++i) {
    if (ctx.detection.stopRequested) {
      // The window is closing: no more probes, nothing to report.
      result = kDetectNoAnswer;
      decided = true;
      break;
    }
    const Probe& p = kProbes[static_cast<std::size_t>(i)];
    WriteProbe(ctx, p);
    Drain64(ctx, 1, true);
    if (quiet) {
      Send(ctx, CMD_SETUP, 100);
      SleepMs(6);
    } else {
      Send(ctx, CMD_IDLE, 5000);
    }
    if (i > 0 && p.modeClass != previousClass) SleepMs(30);
    previousClass = p.modeClass;

    if (!Send(ctx, CMD_READ_ID, 5000)) {
      failLink(itext::kBoxNotAnswering);
      result = kDetectNoDevice;
      decided = true;
      break;
    }
    std::uint8_t idBytes[3] = {};
    const int n = Read(ctx, idBytes, 3, quiet ? 5000 : 10000);
    if (n < 0) {
      ui.ShowStatus(ctx.I(itext::kNoIdAnswer), false);
      if (!quiet) ui.Box(ctx.I(itext::kNoIdAnswer), BoxIcon::Information);
      ui.DisableCommand(ids::kChipFill);
      result = kDetectNoAnswer;
      decided = true;
      break;
    }
    bool addedByProbe5 = false;
    if (n == 3) {
      const std::uint32_t id =
          (std::uint32_t{idBytes[0]} << 16) | (std::uint32_t{idBytes[1]} << 8) | idBytes[2];
      ctx.detection.lastId = id;
      if (id == kIdRefusal) {
        ui.ShowStatus(ctx.I(itext::kBoxRefused), true);
        if (!quiet) ui.Box(ctx.I(itext::kBoxRefused), BoxIcon::Information);
        ctx.detection.refusal = true;
        result = kDetectNoAnswer;
        decided = true;
        break;
      }
      auto fam = std::find_if(kFamilies.begin(), kFamilies.end(),
                              [&](const Family& f) { return f.code == id; });
      if (fam != kFamilies.end()) {
        const int current = ctx.selection.TypeIndex();
        bool leaveAlone = current == fam->typeIndex;
        // Entries 3 and 5 are served by the same answer.
        if (fam->code == kIdFamilySpiEeprom && current == 5) leaveAlone = true;
        if (!leaveAlone) {
          ctx.selection.OnTypeChanged(fam->typeIndex);
          ctx.detection.selectionChanged = true;
        }
        if (quiet) {
          ui.ShowStatus(ctx.I(fam->message), true);
        } else if (asJob23 || ctx.detection.selectionChanged) {
          ui.ShowStatus(ctx.I(fam->message), true);
          if (asJob23) ui.Box(ctx.I(fam->message), BoxIcon::Information);
        }
        ui.EnableCommand(ids::kChipFill);
        ui.EnableCommand(ids::kDataView);
        result = kDetectFamilyOnly;
        decided = true;
        break;
      }
      if (CountZeros(IdText(id)) <= 3 && i < 5) {
        idList.push_back(id);
        addedByProbe5 = i == 4;
      }
    }
    if (!addedByProbe5) continue;

    const std::vector<std::uint32_t> ids = EvaluateIdentifications(idList);
    if (ids.empty()) continue;
    std::vector<std::uint32_t> candidates;
    for (int pass = 0; pass < 3 && candidates.empty(); ++pass) {
      for (std::uint32_t id : ids) {
        const bool highByte = (id & 0xFF0000u) != 0;
        if (pass == 0 && !highByte) continue;
        if (pass == 1 && highByte) continue;
        if (pass < 2) {
          ctx.catalogue.FindByMainId(id, candidates);
        } else {
          ctx.catalogue.FindBySecondId(id, candidates);
        }
        if (!candidates.empty()) break;
      }
    }
    decided = true;
    if (candidates.empty()) {
      ui.ShowStatus(ctx.I(itext::kUnknownId), false);
      if (asJob23) ui.Box(ctx.I(itext::kUnknownId), BoxIcon::Information);
      result = kDetectFamilyOnly;
      break;
    }
    const int current = ctx.selection.SelectedRecord();
    const bool keep = std::find(candidates.begin(), candidates.end(),
                                static_cast<std::uint32_t>(current)) != candidates.end() &&
                      current >= 0;
    if (!keep) {
      ctx.selection.SelectRecord(static_cast<int>(candidates.front()));
      if (candidates.size() > 1) ctx.detection.selectionChanged = true;
    }
    if (candidates.size() == 1) {
      ui.ShowStatus(ctx.I(itext::kChipIdentified), false);
    } else {
      ctx.detection.severalMatches = true;
      if (quiet || asJob23 || ctx.detection.selectionChanged)
        ui.ShowStatus(ctx.I(itext::kSeveralMatches), true);
    }
    if (asJob23) {
      ui.Box(ctx.I(itext::kIdentifiedAs) + "\r\n" + ctx.F(ftext::kTypeLabel) +
                 ctx.selection.TypeText() + "\r\n" + ctx.F(ftext::kMakerLabel) +
                 ctx.selection.MakerText() + "\r\n" + ctx.F(ftext::kModelLabel) +
                 ctx.selection.ModelText() + "          ",
             BoxIcon::Information);
    }
    ui.EnableCommand(ids::kChipFill);
    ui.EnableCommand(ids::kDataView);
    result = kDetectFound;
  }
  if (!decided) {
    ranOut = true;
    ui.ShowStatus(ctx.I(itext::kNoIdAnswer), false);
    if (!quiet) ui.Box(ctx.I(itext::kNoIdAnswer), BoxIcon::Information);
    result = kDetectNoAnswer;
  }

  RebuildParameters(ctx);
  // No chip was ever selected (a damaged catalogue): nothing to name.
  if (!ranOut && ctx.selection.HasRecord()) {
    ui.AppendLog(ctx.selection.TypeText() + " : " + ctx.selection.MakerText() + " : " +
                 ctx.selection.ModelText() + " : " + ctx.selection.CapacityText());
    if (ctx.selection.ChipSize() > 0x7FFFFF) ui.AppendLog(ctx.I(itext::kLargeChip));
  }
  Send(ctx, CMD_SETUP, 5000);
  SleepMs(50);
  return result;
}

bool AutoIdentify(OperationContext& ctx) {
  if (ctx.ui.AutoDetectOn()) {
    const int r = DetectChip(ctx, true, false);
    return r != kDetectNoAnswer && r != kDetectNoDevice && !ctx.detection.selectionChanged;
  }
  if (ctx.link.CheckLink(true) == -2) {
    RebuildParameters(ctx);
    return false;
  }
  return true;
}

bool ConfigureQuadEnable(OperationContext& ctx) {
  // Only the chip now selected decides: one without a method gets nothing.
  if (DetectChip(ctx, true, true) != kDetectFound || !ctx.selection.QeControlsShown()) {
    ctx.ui.ShowStatus(ctx.I(itext::kQeFailed), true, true);
    return false;
  }
  SleepMs(200);
  ctx.ui.ShowStatus(ctx.I(itext::kQeSetting));
  const auto method = ctx.selection.QeMethod();
  const std::uint8_t payload[3] = {
      method[0], method[1],
      static_cast<std::uint8_t>(ctx.ui.surface().IsCheckBoxChecked(ids::kQeCheck) ? 1 : 0)};
  Send(ctx, CMD_QE_CONFIG, 1000, payload, 3);
  std::uint8_t answer = 0;
  if (Read(ctx, &answer, 1, 2000) == 1 && answer == kQeDone) {
    ctx.ui.ShowStatus(ctx.I(itext::kQeSet));
    return true;
  }
  ctx.ui.ShowStatus(ctx.I(itext::kQeFailed), true, true);
  return false;
}

}  // namespace tarnwick
