#include "core/app/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>

#include "resources/ids.h"

namespace tarnwick {
namespace {

using Bytes = std::array<std::uint8_t, Settings::kByteCount>;

struct SettingSlot {
  int commandId;
  int offset;
};

constexpr SettingSlot kSlots[] = {
    {ids::kSoundSetting, 0},        {ids::kAutoDetectSetting, 1},  {ids::kBatchEraseSetting, 2},
    {ids::kBatchProgramSetting, 3}, {ids::kBatchVerifySetting, 4},
};

// Read-write, created when missing; anything but a plain file (a FIFO would
// block the first read) counts as a file that cannot be opened.
// `cause` receives errno when the open fails, and -1 for a file that opened
// but is no plain file.
int OpenRegular(const std::string& path, int& cause) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) {
    cause = errno;
    return fd;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    cause = -1;
    return -1;
  }
  return fd;
}

// Opened read-write, created when missing, existing content kept.
class SettingsFile {
 public:
  explicit SettingsFile(const std::string& path) : fd_(OpenRegular(path, cause_)) {}
  ~SettingsFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  // errno of a failed open, -1 for no plain file, 0 when open.
  int Cause() const { return cause_; }

  // Defaults (all on) with up to five bytes of the file read over them.
  Bytes Read() const {
    Bytes bytes;
    bytes.fill(1);
    if (fd_ < 0) return bytes;
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got =
          ::pread(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    return bytes;
  }

  off_t Size() const {
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 ? st.st_size : 0;
  }

  bool Write(off_t offset, const std::uint8_t* data, std::size_t size) {
    if (fd_ < 0) return false;
    return ::pwrite(fd_, data, size, offset) == static_cast<ssize_t>(size);
  }

  bool WriteByte(off_t offset, std::uint8_t value) { return Write(offset, &value, 1); }

 private:
  int cause_ = 0;
  int fd_;
};

}  // namespace

Settings::Settings(WindowSurface& surface, std::string filePath)
    : surface_(surface), filePath_(std::move(filePath)) {}

bool SettingsLoadReport::Clean() const {
  for (int b : odd) {
    if (b >= 0) return false;
  }
  return opened;
}

void Settings::LoadSettings() {
  lastLoad_ = {};
  Bytes bytes;
  off_t size = 0;
  {
    SettingsFile file(FilePath());
    if (!file.IsOpen()) {
      lastLoad_.opened = false;
      lastLoad_.notRegularFile = file.Cause() < 0;
      lastLoad_.cause = file.Cause() < 0 ? 0 : file.Cause();
      // The original start-up answer to an unusable file: one sound toggle.
      ToggleSound();
      return;
    }
    bytes = file.Read();
    size = file.Size();
  }
  // Only bytes the file holds can be odd; the defaults behind a short file
  // are not.
  for (int i = 0; i < kByteCount && i < size; ++i) {
    if (bytes[i] > 1) lastLoad_.odd[i] = bytes[i];
  }
  for (const SettingSlot& slot : kSlots) {
    surface_.SetMenuChecked(slot.commandId, bytes[slot.offset] == 1);
  }
}

bool Settings::OwnsCommand(int commandId) {
  for (const SettingSlot& slot : kSlots) {
    if (slot.commandId == commandId) return true;
  }
  return false;
}

void Settings::AddCommands(CommandRouter& router) {
  for (const SettingSlot& slot : kSlots) {
    router.Register(slot.commandId, [this, id = slot.commandId] { Toggle(id); });
  }
}

bool Settings::Toggle(int commandId) {
  switch (commandId) {
    case ids::kSoundSetting:
      ToggleSound();
      return true;
    case ids::kAutoDetectSetting:
      ToggleAutoDetect();
      return true;
    case ids::kBatchEraseSetting:
      ToggleBatchStep(commandId, 2);
      return true;
    case ids::kBatchProgramSetting:
      ToggleBatchStep(commandId, 3);
      return true;
    case ids::kBatchVerifySetting:
      ToggleBatchStep(commandId, 4);
      return true;
    default:
      return false;
  }
}

int Settings::NewValue(int commandId) {
  if (surface_.IsMenuChecked(commandId)) return 0;
  if (surface_.IsCommandEnabled(commandId)) return 1;
  return -1;
}

// In every toggle the check mark follows the user even when the file could
// not be written: the change then holds for this run only.

void Settings::ToggleSound() {
  const int value = NewValue(ids::kSoundSetting);
  if (value < 0) return;
  {
    SettingsFile file(FilePath());
    file.WriteByte(0, static_cast<std::uint8_t>(value));
  }
  surface_.SetMenuChecked(ids::kSoundSetting, value == 1);
}

void Settings::ToggleAutoDetect() {
  const int value = NewValue(ids::kAutoDetectSetting);
  if (value < 0) return;
  {
    SettingsFile file(FilePath());
    // An empty file gets the sound default first, so the new byte lands at
    // offset 1 and not at 0.
    // Should that first write fail, writing at offset 1 would leave a zero
    // (sounds off) in front of it, so nothing more is written.
    const bool ready = file.IsOpen() && (file.Size() > 0 || file.WriteByte(0, 1));
    if (ready) file.WriteByte(1, static_cast<std::uint8_t>(value));
  }
  surface_.SetMenuChecked(ids::kAutoDetectSetting, value == 1);
}

void Settings::ToggleBatchStep(int commandId, int offset) {
  const int value = NewValue(commandId);
  if (value < 0) return;
  {
    SettingsFile file(FilePath());
    if (file.IsOpen()) {
      Bytes bytes = file.Read();
      bytes[offset] = static_cast<std::uint8_t>(value);
      file.Write(0, bytes.data(), bytes.size());
    }
  }
  surface_.SetMenuChecked(commandId, value == 1);
}

bool Settings::SoundOn() { return surface_.IsMenuChecked(ids::kSoundSetting); }
bool Settings::AutoDetectOn() { return surface_.IsMenuChecked(ids::kAutoDetectSetting); }
bool Settings::BatchEraseOn() { return surface_.IsMenuChecked(ids::kBatchEraseSetting); }
bool Settings::BatchProgramOn() { return surface_.IsMenuChecked(ids::kBatchProgramSetting); }
bool Settings::BatchVerifyOn() { return surface_.IsMenuChecked(ids::kBatchVerifySetting); }

}  // namespace tarnwick
