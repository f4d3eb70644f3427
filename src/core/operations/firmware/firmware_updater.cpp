#include "core/operations/firmware/firmware_updater.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "core/app/text_ids.h"
#include "core/device/box_serial.h"
#include "core/device/device_link.h"
#include "core/operations/firmware/firmware_file.h"
#include "core/operations/firmware/firmware_image.h"
#include "core/operations/firmware/firmware_texts.h"
#include "core/operations/op_support.h"
#include "protocol/protocol.h"
#include "resources/ids.h"

namespace tarnwick {
namespace {

using namespace protocol;

constexpr int kBootFrameTimeoutMs = 500;
constexpr int kHandshakeTries = 20;
constexpr int kReopenTries = 100;

// Without a dialog the upgrade reports in the main window.
class WindowFirmwareView : public FirmwareView {
 public:
  explicit WindowFirmwareView(WindowServices& ui) : ui_(ui) {}
  void SetProgress(int position, const std::string& text) override {
    ui_.surface().SetProgress(position, text);
  }
  void ShowRunning(bool) override {}
  void ShowBox(const std::string& text, BoxIcon icon) override { ui_.Box(text, icon); }
  void Beep() override { ui_.surface().Beep(); }
  std::string ChosenFile() override { return {}; }

 private:
  WindowServices& ui_;
};

std::string Percent(const std::string& label, std::size_t percent) {
  return label + std::to_string(percent) + "%";
}

}  // namespace

FirmwareUpdater::FirmwareUpdater(OperationContext& ctx, JobLauncher& launcher)
    : ctx_(ctx), launcher_(launcher), windowView_(std::make_unique<WindowFirmwareView>(ctx.ui)) {}

void FirmwareUpdater::AddJobs(JobTable& jobs) {
  jobs.Add({Job::FirmwareVersion, [this] { return ShowFirmwareVersion(); }});
  // Cut mid-erase, the box would be left without firmware: a close waits.
  jobs.Add({Job::FirmwareUpgrade, [this] { return UpgradeFirmware(); }, LampRule::Outcome, 0, 0,
            nullptr, false, CloseRule{0, true}});
}

void FirmwareUpdater::AddCommands(CommandRouter& router) {
  router.Register(ids::kFirmwareVersion, [this] { launcher_.Launch(Job::FirmwareVersion); });
  router.Register(ids::kFirmwareUpgrade, [this] {
    if (openDialog_) openDialog_();
  });
}

FirmwareView& FirmwareUpdater::View() {
  FirmwareView* view = view_.load();
  return view != nullptr ? *view : *windowView_;
}

void FirmwareUpdater::DialogOpened() { Progress(0, I(itext::kFwChooseFile)); }

void FirmwareUpdater::FileChosen() { Restart(I(itext::kFwFileChosen)); }

void FirmwareUpdater::Request() {
  if (!running_.load()) launcher_.Launch(Job::FirmwareUpgrade);
}

FirmwareInfo FirmwareUpdater::LastInfo() const {
  FirmwareInfo info;
  if (const int v = lastVersion_.load(); v >= 0) info.version = static_cast<std::uint8_t>(v);
  if (const std::int64_t s = lastSerial_.load(); s >= 0) {
    info.serial = static_cast<std::uint32_t>(s);
  }
  return info;
}

void FirmwareUpdater::Restart(const std::string& text) {
  Progress(100, "");
  Progress(0, text);
}

bool FirmwareUpdater::Boot(std::uint8_t code, std::uint8_t value) {
  return ctx_.channel.SendBootCommand(code, kBootFrameTimeoutMs, value);
}

std::optional<std::uint8_t> FirmwareUpdater::ReadByte(int timeoutMs) {
  std::uint8_t b = 0;
  if (Read(ctx_, &b, 1, timeoutMs) != 1) return std::nullopt;
  return b;
}

// ---- version -----------------------------------------------------------------

bool FirmwareUpdater::ShowFirmwareVersion() {
  lastVersion_ = -1;
  lastSerial_ = -1;
  if (RefusedByBox(ctx_)) return false;
  if (ctx_.link.CheckLink(true) == kLinkUnusable) return false;
  auto noInformation = [this] {
    ctx_.ui.Box(I(itext::kFwNoInformation), I(itext::kNoticeCaption), BoxIcon::Information);
    return false;
  };
  // A box that does not answer the version still may give its serial number.
  std::string versionText;
  if (Send(ctx_, CMD_FW_VERSION, 100)) {
    if (const std::optional<std::uint8_t> v = ReadByte(100)) {
      lastVersion_ = *v;
      if (*v == kFirmwareInvalid) return noInformation();
      versionText = "\r\n" + I(itext::kFwFirmwareWord) + ":Tarnwick firmware " +
                    firmware::VersionText(*v) + "     ";
    }
  }
  // Without the serial's answer there is nothing to show, sent or not.
  std::array<std::uint8_t, kSerialAnswerSize> answer{};
  if (!Send(ctx_, CMD_SERIAL, 100) || Read(ctx_, answer.data(), static_cast<int>(answer.size()),
                                           100) != static_cast<int>(answer.size())) {
    return noInformation();
  }
  const std::uint32_t serial = SerialFromAnswer(answer);
  lastSerial_ = serial;
  ctx_.ui.Box("\r\n" + I(itext::kFwSerialWord) + ":" + firmware::SerialText(serial) + versionText,
              I(itext::kFwInformationCaption), BoxIcon::Information);
  return true;
}

// ---- upgrade -----------------------------------------------------------------

bool FirmwareUpdater::CallOffBeforeStart() {
  int gate = kGateOpen;
  if (startGate_.compare_exchange_strong(gate, kGateCalledOff)) return true;
  return gate == kGateCalledOff;
}

bool FirmwareUpdater::UpgradeFirmware() {
  if (running_.exchange(true)) return false;
  accepted_ = false;
  View().ShowRunning(true);
  const bool ok = RunUpgrade();
  accepted_ = ok;
  startGate_ = kGateOpen;
  running_ = false;
  View().ShowRunning(false);
  return ok;
}

bool FirmwareUpdater::RunUpgrade() {
  // The file and the table are settled before the box hears of anything.
  // The bytes checked are the bytes sent: the file is read once.
  const std::optional<std::vector<std::uint8_t>> file = ReadCheckedFile();
  if (!file) return false;
  const std::optional<firmware::BootTable> table = ReadTable();
  if (!table) return false;
  if (ctx_.link.CheckLink(true) == kLinkUnusable) return false;
  int gate = kGateOpen;
  if (!startGate_.compare_exchange_strong(gate, kGateTalking)) {
    ctx_.ui.ShowStatus(firmware::kCalledOffText, true, false);
    Restart(firmware::kCalledOffText);
    return false;
  }
  if (!ctx_.detection.refusal && !EnterBootLoader()) return false;
  if (!Handshake() || !StartLoader()) return false;
  const std::size_t blocks = firmware::BlockCount(file->size());
  Restart(I(itext::kFwPreparing));
  return Erase(blocks) && Write(*file, *table) && ReadBack(*file, *table, blocks) && Finish(*file);
}

std::optional<std::vector<std::uint8_t>> FirmwareUpdater::ReadCheckedFile() {
  const std::string path = View().ChosenFile();
  firmware::LoadedFile file = firmware::ReadFirmwareFile(path);
  if (file.verdict == firmware::Verdict::Good) return std::move(file.bytes);
  // The log keeps which file and why, the status line why.
  const std::string why = firmware::VerdictText(file.verdict);
  if (!path.empty()) ctx_.ui.AppendLog(path + ": " + why);
  ctx_.ui.ShowStatus(I(itext::kFwFileDamaged) + " (" + why + ")", true, true);
  Restart(I(itext::kFwFileDamaged));
  return std::nullopt;
}

std::optional<firmware::BootTable> FirmwareUpdater::ReadTable() {
  const std::string path = ctx_.ui.BaseDir() + firmware::kBootTableFile;
  firmware::Verdict verdict = firmware::Verdict::Unreadable;
  std::optional<firmware::BootTable> table = firmware::ReadBootTable(path, verdict);
  if (table) return table;
  // A simulated box documents its own table; the user's file still wins.
  struct stat st {};
  if (!simulatedTable_.empty() && ::lstat(path.c_str(), &st) != 0 && errno == ENOENT) {
    firmware::Verdict simulated = firmware::Verdict::Unreadable;
    table = firmware::ReadBootTable(simulatedTable_, simulated);
    if (table) return table;
  }
  const std::string text = firmware::BootTableProblem(path, verdict);
  ctx_.ui.ShowStatus(text, true, true);
  Restart(text);
  return std::nullopt;
}

bool FirmwareUpdater::EnterBootLoader() {
  Send(ctx_, CMD_ENTER_BOOT, 100);
  ctx_.detection.refusal = true;
  // The box leaves the bus and comes back as its boot loader.
  if (ctx_.link.IsOpen()) {
    ctx_.link.CloseLink();
    SleepMs(1000);
  }
  for (int i = 0; i < kReopenTries && !Stopping(); ++i) {
    SleepMs(100);
    if (ctx_.link.ReopenLink(false)) return true;
  }
  if (Stopping()) return false;
  ctx_.ui.ShowStatus(I(itext::kFwReopenFailed), true, true);
  View().ShowBox(I(itext::kFwReopenFailed), BoxIcon::Warning);
  return false;
}

bool FirmwareUpdater::Handshake() {
  for (int i = 0; i < kHandshakeTries; ++i) {
    Boot(BOOT_HELLO);
    std::array<std::uint8_t, 2> hello{};
    if (Read(ctx_, hello.data(), 2, 50) == 2 && hello[0] == kBootHelloFirst &&
        hello[1] == kBootHelloSecond) {
      Boot(BOOT_IDLE);
      Restart(I(itext::kFwBootReady));
      return true;
    }
  }
  Boot(BOOT_IDLE);
  Restart(I(itext::kFwNoHandshake));
  ctx_.ui.ShowStatus(I(itext::kFwNoHandshake), true, false);
  View().ShowBox(I(itext::kFwNoHandshake), BoxIcon::Warning);
  return false;
}

bool FirmwareUpdater::StartLoader() {
  Boot(BOOT_IDLE);
  Boot(BOOT_START);
  const std::optional<std::uint8_t> ready = ReadByte(1000);
  if (ready == kBootStartReady) return true;
  const int message = ready ? itext::kFwStartRefused : itext::kFwStartNoAnswer;
  ctx_.ui.ShowStatus(I(message), true, true);
  Restart(I(message));
  return false;
}

bool FirmwareUpdater::FailStep(int message, bool box) {
  Boot(BOOT_IDLE);
  ctx_.ui.ShowStatus(I(message), true, false);
  if (box) View().ShowBox(I(message), BoxIcon::Error);
  return false;
}

bool FirmwareUpdater::Erase(std::size_t blocks) {
  for (std::size_t n = 0; n < blocks; ++n) {
    if (Stopping()) return FailStep(itext::kFwEraseFailed, false);
    Boot(BOOT_ERASE_BLOCK, static_cast<std::uint8_t>(n % firmware::kMaxBlocks));
    SleepMs(15);
    if (!ReadByte(1000)) {
      Restart(I(itext::kFwEraseFailed));
      return FailStep(itext::kFwEraseFailed, true);
    }
    Progress(static_cast<int>(100 * (n + 1) / blocks),
             Percent(I(itext::kFwErasing), 100 * (n + 1) / blocks));
  }
  return true;
}

bool FirmwareUpdater::Write(const std::vector<std::uint8_t>& file,
                            const firmware::BootTable& table) {
  Boot(BOOT_IDLE);
  Boot(BOOT_WRITE_BEGIN);
  const std::size_t length = file.size();
  std::array<std::uint8_t, kFirmwarePiece> piece{};
  // A full piece is followed by the next; a shorter one, empty at the end of
  // a file that is a multiple of 64 long, tells the box the image ended.
  for (std::size_t sent = 0;;) {
    if (Stopping()) return FailStep(itext::kFwWriteFailed, false);
    const std::size_t n = std::min(kFirmwarePiece, length - sent);
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(sent), n, piece.begin());
    firmware::Scramble(piece.data(), n, sent, table);
    // A piece the box took only in part is lost just as one it refused.
    if (ctx_.link.WriteData(piece.data(), static_cast<int>(n), 2000) != static_cast<int>(n)) {
      Progress(0, I(itext::kFwWriteFailed));
      return FailStep(itext::kFwWriteFailed, true);
    }
    sent += n;
    Progress(static_cast<int>(sent * 100 / length),
             Percent(I(itext::kFwWriting), sent * 100 / length));
    if (n < kFirmwarePiece) return true;
  }
}

bool FirmwareUpdater::ReadBack(const std::vector<std::uint8_t>& file,
                               const firmware::BootTable& table, std::size_t blocks) {
  Boot(BOOT_WRITE_END);
  Boot(BOOT_IDLE);
  Boot(BOOT_READBACK_BEGIN);
  SleepMs(5);
  std::vector<std::uint8_t> block(kBootBlockSize);
  std::vector<std::uint8_t> expected(kBootBlockSize);
  for (std::size_t b = 0; b < blocks; ++b) {
    if (Stopping()) return FailStep(itext::kFwReadBackFailed, false);
    Boot(BOOT_READ_BLOCK);
    const std::size_t at = b * kBootBlockSize;
    // The last block holds only what remains of the file.
    const std::size_t n = std::min(kBootBlockSize, file.size() - at);
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(at), n, expected.begin());
    firmware::Scramble(expected.data(), n, at, table);
    if (Read(ctx_, block.data(), static_cast<int>(kBootBlockSize), 1000) !=
        static_cast<int>(kBootBlockSize)) {
      Progress(0, I(itext::kFwReadBackFailed));
      return FailStep(itext::kFwReadBackFailed, true);
    }
    if (!std::equal(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(n),
                    block.begin())) {
      Progress(0, I(itext::kFwReadBackDiffers));
      return FailStep(itext::kFwReadBackDiffers, true);
    }
    Progress(static_cast<int>(99 * (b + 1) / blocks),
             Percent(I(itext::kFwReadingBack), 99 * (b + 1) / blocks));
  }
  return true;
}

bool FirmwareUpdater::Finish(const std::vector<std::uint8_t>& file) {
  Boot(BOOT_IDLE);
  Boot(BOOT_FINISH, firmware::FinishByte(file));
  const std::optional<std::uint8_t> answer = ReadByte(1000);
  if (answer == kBootFinishAccepted) {
    Progress(100, Percent(I(itext::kFwReadingBack), 100));
    Boot(BOOT_RESTART);
    // The box comes back with its new firmware, no longer refusing.
    ctx_.detection.refusal = false;
    View().Beep();
    Progress(0, "");
    Progress(100, I(itext::kFwUpgradeDone));
    // Replaces whatever an earlier attempt left in the status line.
    ctx_.ui.ShowStatus(I(itext::kFwUpgradeDone), false, false);
    return true;
  }
  // A refused image is a failure in the status line and on the bar alike.
  const int message = answer ? itext::kFwNotConfirmed : itext::kFwNoFinishAnswer;
  ctx_.ui.ShowStatus(I(message), true, true);
  Restart(I(message));
  Boot(BOOT_RESTART);
  Boot(BOOT_IDLE);
  return false;
}

}  // namespace tarnwick
