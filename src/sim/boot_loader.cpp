#include "sim/boot_loader.h"

#include <algorithm>

#include "protocol/protocol.h"

namespace tarnwick::sim {

using namespace protocol;

BootLoader::BootLoader() : flash_(kBootFlashSize, 0x00) {}

void BootLoader::Begin() {
  started_ = false;
  taking_ = false;
  accepted_ = false;
  readPos_ = 0;
}

void BootLoader::OnFrame(std::uint8_t code, std::uint8_t value, std::vector<std::uint8_t>& answer,
                         bool& restart) {
  switch (code) {
    case BOOT_HELLO:
      answer = {kBootHelloFirst, kBootHelloSecond};
      break;
    case BOOT_START:
      started_ = true;
      answer = {kBootStartReady};
      break;
    case BOOT_ERASE_BLOCK: {
      if (!started_) break;  // not answered: the program times out
      const std::size_t at = static_cast<std::size_t>(value) * kBootBlockSize;
      std::fill_n(flash_.begin() + static_cast<std::ptrdiff_t>(at), kBootBlockSize, 0xFF);
      damaged_ = true;
      accepted_ = false;
      answer = {kBootEraseDone};
      break;
    }
    case BOOT_WRITE_BEGIN:
      if (!started_) break;
      taking_ = true;
      writePos_ = 0;
      imageLength_ = 0;
      accepted_ = false;
      break;
    case BOOT_WRITE_END:
      taking_ = false;
      break;
    case BOOT_READBACK_BEGIN:
      readPos_ = 0;
      break;
    case BOOT_READ_BLOCK: {
      answer.assign(kBootBlockSize, 0xFF);
      if (readPos_ < flash_.size()) {
        const std::size_t n = std::min(kBootBlockSize, flash_.size() - readPos_);
        std::copy_n(flash_.begin() + static_cast<std::ptrdiff_t>(readPos_), n, answer.begin());
      }
      readPos_ += kBootBlockSize;
      break;
    }
    case BOOT_FINISH:
      taking_ = false;
      accepted_ = CheckImage(value);
      if (accepted_) finishValue_ = value;
      answer = {accepted_ ? kBootFinishAccepted : kBootFinishRejected};
      break;
    case BOOT_RESTART:
      taking_ = false;
      restart = true;
      break;
    case BOOT_IDLE:
    default:
      break;
  }
}

int BootLoader::OnImagePiece(const std::uint8_t* data, int size) {
  if (size < 0) return -1;
  const std::size_t n = static_cast<std::size_t>(size);
  if (writePos_ + n > flash_.size()) {
    taking_ = false;
    return -1;
  }
  for (std::size_t i = 0; i < n; ++i) flash_[writePos_ + i] &= data[i];
  writePos_ += n;
  imageLength_ = writePos_;
  if (n < kFirmwarePiece) taking_ = false;  // a short piece ends the image
  return size;
}

std::uint8_t BootLoader::Plain(std::size_t i) const {
  return table_ ? static_cast<std::uint8_t>(flash_[i] ^ (*table_)[i % table_->size()]) : flash_[i];
}

std::vector<std::uint8_t> BootLoader::PlainImage() const {
  std::vector<std::uint8_t> image(imageLength_);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = Plain(i);
  return image;
}

bool BootLoader::CheckImage(std::uint8_t finishValue) const {
  const std::size_t len = imageLength_;
  if (!table_ || len < 4) return false;
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i + 3 < len; ++i) sum += Plain(i);
  const std::uint64_t stored = static_cast<std::uint64_t>(Plain(len - 3)) << 16 |
                               static_cast<std::uint64_t>(Plain(len - 2)) << 8 | Plain(len - 1);
  // The whole sum must match: one above what 3 bytes hold never does.
  return sum == stored && Plain(len - 4) == finishValue;
}

}  // namespace tarnwick::sim
