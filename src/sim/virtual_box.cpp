#include "sim/virtual_box.h"

#include <sys/stat.h>

#include <algorithm>
#include <thread>

#include "protocol/protocol.h"
#include "sim/chip_storage.h"

namespace tarnwick::sim {

using namespace protocol;

namespace {

constexpr int kHighestAddress = 127;

// A handle is the open id in pointer clothing for the UsbApi shape; it is only
// ever turned back into the id, never dereferenced.
UsbHandle ToHandle(std::uintptr_t id) {
  return reinterpret_cast<UsbHandle>(id);  // NOLINT(performance-no-int-to-ptr): opaque id
}
std::uintptr_t FromHandle(UsbHandle h) { return reinterpret_cast<std::uintptr_t>(h); }

}  // namespace

std::unique_ptr<VirtualBox> VirtualBox::Create(const BoxDescription& description,
                                               std::string& error) {
  std::unique_ptr<VirtualBox> box(new VirtualBox());
  if (!box->firmware_.Init(description, error)) return nullptr;
  box->speed_ = SpeedModel(description.speed);
  box->present_ = description.present;
  const std::uint64_t chipSize = description.chip ? description.chip->size : 0;
  box->faults_.Init(description.faults, chipSize, box->firmware_.Events());
  bool changed = false;
  box->ApplyFaults(box->faults_.Always(), changed);
  box->socket_ = description.socket;
  if (description.chip) {
    box->batchChip_ = description.chip;
    box->inSocket_ = 1;
    box->lastPutIn_ = 1;
    // The later chips' files are made when each chip goes in, but one of the
    // wrong size is refused now, while the caller can still be told.
    for (std::uint32_t k = 2; k <= box->socket_.chips; ++k) {
      const std::string path = BatchChipPath(description.chip->contentPath, k);
      struct stat st {};
      if (::stat(path.c_str(), &st) != 0) continue;
      if (!S_ISREG(st.st_mode)) {
        error = "content file " + path + " is not a regular file";
        return nullptr;
      }
      if (static_cast<std::uint64_t>(st.st_size) != description.chip->size) {
        error = "content file " + path + " holds " + std::to_string(st.st_size) +
                " bytes but the chip holds " + std::to_string(description.chip->size);
        return nullptr;
      }
    }
    if (box->socket_.removeMs) {
      box->firmware_.Events().push_back("chip 1 put in (" + description.chip->contentPath + ")");
      box->socketThread_ = std::thread([raw = box.get()] { raw->SocketLoop(); });
    }
  }
  return box;
}

VirtualBox::~VirtualBox() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  socketWake_.notify_all();
  if (socketThread_.joinable()) socketThread_.join();
}

// ---- the batch in the socket ------------------------------------------------

void VirtualBox::OnLampChanged(std::size_t lampsBefore) {
  const auto& lamps = firmware_.LampHistory();
  if (!socket_.removeMs || lamps.size() <= lampsBefore || !firmware_.Chip()) return;
  const std::uint8_t lamp = lamps.back();
  if (lamp != kLampSucceeded && lamp != kLampFailed) return;
  if (step_ == SocketStep::Remove) return;  // the first outcome already set the time
  step_ = SocketStep::Remove;
  stepAt_ = SimClock::now() + std::chrono::milliseconds(*socket_.removeMs);
  socketWake_.notify_all();
}

void VirtualBox::SocketLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    if (step_ == SocketStep::None) {
      socketWake_.wait(lock);
      continue;
    }
    if (SimClock::now() < stepAt_) {
      socketWake_.wait_until(lock, stepAt_);
      continue;
    }
    const SocketStep step = step_;
    step_ = SocketStep::None;
    if (step == SocketStep::Remove) {
      TakeChipOut();
    } else {
      PutChipIn(lastPutIn_ + 1);
    }
  }
}

void VirtualBox::TakeChipOut() {
  const VirtualChip* chip = firmware_.Chip();
  if (!chip) return;
  const std::string path = chip->ContentPath();
  firmware_.Events().push_back(
      (inSocket_ ? "chip " + std::to_string(inSocket_) : std::string("chip")) + " taken out (" +
      path + ")");
  std::string unused;
  firmware_.SetChip(std::nullopt, unused);
  inSocket_ = 0;
  if (lastPutIn_ < socket_.chips) {
    step_ = SocketStep::Insert;
    stepAt_ = SimClock::now() + std::chrono::milliseconds(socket_.insertMs);
  }
}

void VirtualBox::PutChipIn(std::uint32_t number) {
  ChipDescription chip = *batchChip_;
  chip.contentPath = BatchChipPath(batchChip_->contentPath, number);
  if (number > 1) chip.fill = socket_.newChip;
  lastPutIn_ = number;
  std::string error;
  if (!firmware_.SetChip(chip, error)) {
    // The socket stays empty; the next outcome cannot come without a chip.
    firmware_.Events().push_back("chip " + std::to_string(number) + " cannot be put in: " + error);
    return;
  }
  inSocket_ = number;
  firmware_.Events().push_back("chip " + std::to_string(number) + " put in (" + chip.contentPath +
                               ")");
}

// ---- faults and bus changes ------------------------------------------------

void VirtualBox::ApplyFaults(const std::vector<FaultEntry>& faults, bool& changed) {
  for (const FaultEntry& f : faults) {
    const bool always = f.trigger.when == FaultTrigger::When::Always;
    firmware_.Events().push_back(std::string("fault strikes: ") + FaultKindName(f.kind));
    switch (f.kind) {
      case FaultKind::Unplug:
        DropOff(changed);
        break;
      case FaultKind::Stall:
        stalled_ = true;
        break;
      case FaultKind::PartialWrite:
        (always ? partialAlways_ : partialOnce_) = f.amount;
        break;
      case FaultKind::EraseHang:
        firmware_.SetEraseHang(always);
        break;
      case FaultKind::ProgramEndHang:
        firmware_.SetProgramEndHang(always);
        break;
      case FaultKind::Refuse:
        firmware_.EnterBootLoader();
        break;
    }
  }
}

void VirtualBox::DropOff(bool& changed) {
  if (!present_) return;
  present_ = false;
  stalled_ = false;
  ++generation_;
  changed = true;
  wake_.notify_all();
}

void VirtualBox::Reenumerate(bool& changed) {
  ++generation_;
  address_ = address_ >= kHighestAddress ? 1 : address_ + 1;
  changed = true;
  wake_.notify_all();
}

void VirtualBox::RaiseDeviceChange() {
  std::function<void()> handler;
  {
    std::lock_guard<std::mutex> lock(handlerMutex_);
    handler = handler_;
  }
  if (handler) handler();
}

void VirtualBox::WaitTimeout(std::unique_lock<std::mutex>& lock, int timeoutMs) {
  if (!speed_.Realistic()) return;
  const auto deadline = SimClock::now() + std::chrono::milliseconds(timeoutMs);
  const std::uint64_t generation = generation_;
  wake_.wait_until(lock, deadline, [&] { return generation_ != generation; });
}

// ---- hot plug -------------------------------------------------------------

void VirtualBox::Plug() {
  bool changed = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (present_) return;
    present_ = true;
    firmware_.PowerUp();
    firmware_.Events().emplace_back("plugged in");
    Reenumerate(changed);
  }
  RaiseDeviceChange();
}

void VirtualBox::Unplug() {
  bool changed = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (present_) firmware_.Events().emplace_back("unplugged");
    DropOff(changed);
  }
  if (changed) RaiseDeviceChange();
}

void VirtualBox::StrikeFault(FaultKind kind) {
  bool changed = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    FaultEntry fault;
    fault.kind = kind;
    fault.trigger.when = FaultTrigger::When::AtCommand;
    ApplyFaults({fault}, changed);
  }
  if (changed) RaiseDeviceChange();
}

bool VirtualBox::SwapChip(const ChipDescription& chip, std::string& error) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!firmware_.SetChip(chip, error)) return false;
  step_ = SocketStep::None;
  inSocket_ = 0;
  return true;
}

void VirtualBox::RemoveChip() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string unused;
  firmware_.SetChip(std::nullopt, unused);
  step_ = SocketStep::None;
  inSocket_ = 0;
}

void VirtualBox::SetDeviceChangeHandler(std::function<void()> handler) {
  std::lock_guard<std::mutex> lock(handlerMutex_);
  handler_ = std::move(handler);
}

// ---- enumeration and handles ------------------------------------------------

std::vector<UsbDeviceInfo> VirtualBox::ScanDevices() {
  std::lock_guard<std::mutex> lock(mutex_);
  scanGeneration_ = generation_;
  scanCount_ = present_ ? 1 : 0;
  if (!present_) return {};
  return {UsbDeviceInfo{kVendorId, kProductId, 1, address_}};
}

UsbHandle VirtualBox::Open(std::size_t index) {
  std::lock_guard<std::mutex> lock(mutex_);
  // A device from a scan taken before the box re-enumerated is gone.
  if (!present_ || index >= scanCount_ || scanGeneration_ != generation_) return nullptr;
  const std::uintptr_t id = nextHandle_++;
  handles_[id] = HandleState{generation_, false};
  return ToHandle(id);
}

int VirtualBox::SetConfiguration(UsbHandle h, int configuration) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = handles_.find(FromHandle(h));
  if (it == handles_.end()) return kErrInvalid;
  if (!present_ || it->second.generation != generation_) return kErrNoDevice;
  return configuration == kConfiguration ? 0 : kErrInvalid;
}

int VirtualBox::ClaimInterface(UsbHandle h, int interface) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = handles_.find(FromHandle(h));
  if (it == handles_.end()) return kErrInvalid;
  if (!present_ || it->second.generation != generation_) return kErrNoDevice;
  if (interface != kInterface) return kErrInvalid;
  it->second.claimed = true;
  return 0;
}

int VirtualBox::ReleaseInterface(UsbHandle h, int interface) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = handles_.find(FromHandle(h));
  if (it == handles_.end() || interface != kInterface) return kErrInvalid;
  it->second.claimed = false;
  if (!present_ || it->second.generation != generation_) return kErrNoDevice;
  return 0;
}

int VirtualBox::Close(UsbHandle h) {
  std::lock_guard<std::mutex> lock(mutex_);
  return handles_.erase(FromHandle(h)) ? 0 : kErrInvalid;
}

int VirtualBox::CheckTransfer(UsbHandle h) const {
  auto it = handles_.find(FromHandle(h));
  if (it == handles_.end()) return kErrInvalid;
  if (!present_ || it->second.generation != generation_) return kErrNoDevice;
  return it->second.claimed ? 0 : kErrInvalid;
}

// ---- transfers ----------------------------------------------------------------

int VirtualBox::InterruptWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                               int /*timeoutMs*/) {
  bool changed = false;
  int result = 0;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    result = CheckTransfer(h);
    if (result == 0 && (endpoint != kEndpointCommand || size < 0 || (!data && size > 0))) {
      result = kErrInvalid;
    }
    if (result == 0) {
      ApplyFaults(faults_.OnCommand(++commands_), changed);
      if (!present_) {
        result = kErrNoDevice;
      } else if (stalled_) {
        result = size;  // taken off the bus, but the firmware no longer acts on it
      } else {
        const std::size_t lamps = firmware_.LampHistory().size();
        if (firmware_.OnInterrupt(data, static_cast<std::size_t>(size), SimClock::now())) {
          Reenumerate(changed);
        }
        OnLampChanged(lamps);
        wake_.notify_all();
        result = size;
      }
    }
  }
  if (changed) RaiseDeviceChange();
  return result;
}

int VirtualBox::BulkWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                          int timeoutMs) {
  bool changed = false;
  int result = 0;
  SimDuration busy{};
  {
    std::unique_lock<std::mutex> lock(mutex_);
    const int timeout = timeoutMs > 0 ? timeoutMs : kDefaultTimeoutMs;
    result = CheckTransfer(h);
    if (result == 0 && (endpoint != kEndpointBulkOut || size < 0 || (!data && size > 0))) {
      result = kErrInvalid;
    }
    if (result == 0) {
      int limit = size;
      if (partialOnce_) limit = std::min<int>(limit, static_cast<int>(partialOnce_));
      if (partialAlways_) limit = std::min<int>(limit, static_cast<int>(partialAlways_));
      if (auto next = faults_.NextUnplugByte(streamed_)) {
        limit = static_cast<int>(std::min<std::uint64_t>(limit, *next - streamed_));
      }
      const int taken = stalled_ ? -1 : firmware_.OnBulkOut(data, limit, SimClock::now(), busy);
      if (taken < 0) {
        busy = SimDuration::zero();
        WaitTimeout(lock, timeout);
        result = present_ ? kErrTimeout : kErrNoDevice;
      } else {
        if (limit < size && partialOnce_) partialOnce_ = 0;
        streamed_ += static_cast<std::uint64_t>(taken);
        taken_ += static_cast<std::uint64_t>(taken);
        ApplyFaults(faults_.OnBytes(streamed_), changed);
        result = taken;
      }
    }
  }
  if (busy > SimDuration::zero()) std::this_thread::sleep_for(busy);
  if (changed) RaiseDeviceChange();
  return result;
}

int VirtualBox::BulkRead(UsbHandle h, int endpoint, std::uint8_t* data, int size, int timeoutMs) {
  bool changed = false;
  int result = 0;
  SimDuration busy{};
  {
    std::unique_lock<std::mutex> lock(mutex_);
    result = CheckTransfer(h);
    if (result == 0 && (endpoint != kEndpointBulkIn || size < 0 || (!data && size > 0))) {
      result = kErrInvalid;
    }
    const auto deadline =
        SimClock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : kDefaultTimeoutMs);
    const std::uint64_t generation = generation_;
    while (result == 0) {
      if (!present_ || generation_ != generation) {
        result = kErrNoDevice;
        break;
      }
      if (!stalled_) {
        int limit = size;
        if (auto next = faults_.NextUnplugByte(streamed_)) {
          limit = static_cast<int>(std::min<std::uint64_t>(limit, *next - streamed_));
        }
        std::uint64_t streamed = 0;
        const int n = firmware_.TakeOutput(data, limit, SimClock::now(), streamed);
        if (n > 0) {
          streamed_ += streamed;
          ApplyFaults(faults_.OnBytes(streamed_), changed);
          busy = speed_.Transfer(static_cast<std::uint64_t>(n));
          result = n;
          break;
        }
      }
      const auto now = SimClock::now();
      if (!speed_.Realistic() || now >= deadline) {
        result = kErrTimeout;
        break;
      }
      auto wake = deadline;
      if (!stalled_) {
        if (auto at = firmware_.NextOutputAt()) wake = std::min(wake, std::max(*at, now));
      }
      wake_.wait_until(lock, wake);
    }
  }
  if (busy > SimDuration::zero()) std::this_thread::sleep_for(busy);
  if (changed) RaiseDeviceChange();
  return result;
}

// ---- observation ----------------------------------------------------------------

bool VirtualBox::Plugged() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return present_;
}

bool VirtualBox::InBootLoader() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return firmware_.InBootLoader();
}

std::uint8_t VirtualBox::Lamp() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return firmware_.Lamp();
}

std::vector<std::uint8_t> VirtualBox::LampHistory() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return firmware_.LampHistory();
}

std::vector<ReceivedFrame> VirtualBox::ReceivedFrames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return firmware_.Frames();
}

std::vector<std::uint8_t> VirtualBox::ReceivedCommands() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::uint8_t> codes;
  for (const ReceivedFrame& f : firmware_.Frames()) {
    if (f.family == Frame::Command) codes.push_back(f.code);
  }
  return codes;
}

std::uint64_t VirtualBox::BytesTaken() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return taken_;
}

std::uint64_t VirtualBox::BytesStreamed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return streamed_;
}

std::vector<std::uint8_t> VirtualBox::ReadContent(std::uint64_t address,
                                                  std::uint64_t length) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const VirtualChip* chip = firmware_.Chip();
  if (!chip || address >= chip->Size()) return {};
  length = std::min(length, chip->Size() - address);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(length));
  if (!chip->Read(address, out.data(), length)) return {};
  return out;
}

std::string VirtualBox::ContentPath() const {
  std::lock_guard<std::mutex> lock(mutex_);
  const VirtualChip* chip = firmware_.Chip();
  // Whoever asks for the file reads it next: it holds every programmed byte.
  if (chip) chip->Flush();
  return chip ? chip->ContentPath() : std::string();
}

bool VirtualBox::HasChip() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return firmware_.Chip() != nullptr;
}

bool VirtualBox::QuadEnable() const {
  std::lock_guard<std::mutex> lock(mutex_);
  const VirtualChip* chip = firmware_.Chip();
  return chip && chip->QuadEnable();
}

std::vector<std::uint8_t> VirtualBox::OtpContent() const {
  std::lock_guard<std::mutex> lock(mutex_);
  const VirtualChip* chip = firmware_.Chip();
  return chip ? chip->Otp().Bytes() : std::vector<std::uint8_t>{};
}

bool VirtualBox::OtpLocked() const {
  std::lock_guard<std::mutex> lock(mutex_);
  const VirtualChip* chip = firmware_.Chip();
  return chip && chip->Otp().Locked();
}

std::uint8_t VirtualBox::FirmwareVersion() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return firmware_.FirmwareVersion();
}

std::vector<std::string> VirtualBox::EventLog() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return firmware_.Events();
}

std::optional<std::uint64_t> VirtualBox::FaultSeed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return faults_.Seed();
}

std::uint32_t VirtualBox::ChipInSocket() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return inSocket_;
}

std::string VirtualBox::ChipContentPath(std::uint32_t number) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!batchChip_ || number == 0 || number > socket_.chips) return {};
  return BatchChipPath(batchChip_->contentPath, number);
}

std::vector<std::uint8_t> VirtualBox::ReadChipContent(std::uint32_t number, std::uint64_t address,
                                                      std::uint64_t length) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!batchChip_ || number == 0 || number > socket_.chips) return {};
  if (const VirtualChip* inSocket = firmware_.Chip()) inSocket->Flush();
  const std::uint64_t size = batchChip_->size;
  if (address >= size) return {};
  length = std::min(length, size - address);
  const std::string path = BatchChipPath(batchChip_->contentPath, number);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};  // not made yet: Open would create it
  ChipStorage storage;
  std::string error;
  if (!storage.Open(path, size, ContentFill::Blank, error)) return {};
  std::vector<std::uint8_t> out(static_cast<std::size_t>(length));
  if (!storage.Read(address, out.data(), length)) return {};
  return out;
}

}  // namespace tarnwick::sim
