// The box's boot loader: the 4-byte boot frames of the firmware-upgrade mode
// and the image stream. It keeps the image in its own flash (erase sets
// 0xFF, writing only clears bits) and accepts it only when the image,
// unscrambled with its own table, carries a correct sum. Without a table it
// accepts nothing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarnwick::sim {

// Erase indices are one byte.
inline constexpr std::size_t kBootFlashSize = std::size_t{256} * 1024;
inline constexpr std::uint8_t kBootEraseDone = 0x02;
inline constexpr std::uint8_t kBootFinishRejected = 0xEE;
inline constexpr std::size_t kBootTableLength = 256;
using BootTableBytes = std::array<std::uint8_t, kBootTableLength>;

class BootLoader {
 public:
  BootLoader();

  // The scrambling table this boot loader undoes (nullopt: none).
  void SetTable(const std::optional<BootTableBytes>& table) { table_ = table; }

  // Called when the box enters the upgrade mode.
  void Begin();
  // One boot frame; fills `answer` and sets `restart` for BOOT_RESTART.
  void OnFrame(std::uint8_t code, std::uint8_t value, std::vector<std::uint8_t>& answer,
               bool& restart);
  bool TakingImage() const { return taking_; }
  // A piece of the image stream; the count taken, or -1 when it does not fit.
  int OnImagePiece(const std::uint8_t* data, int size);

  bool Accepted() const { return accepted_; }
  bool FirmwareDamaged() const { return damaged_ && !accepted_; }
  std::size_t ImageLength() const { return imageLength_; }
  // The image as the program's file held it (the transfer scrambling undone).
  std::vector<std::uint8_t> PlainImage() const;
  // The value BOOT_FINISH carried when the image was accepted.
  std::uint8_t FinishValue() const { return finishValue_; }
  const std::vector<std::uint8_t>& Flash() const { return flash_; }

 private:
  bool CheckImage(std::uint8_t finishValue) const;

  std::uint8_t Plain(std::size_t i) const;

  std::optional<BootTableBytes> table_;
  std::vector<std::uint8_t> flash_;
  bool started_ = false;
  bool taking_ = false;
  bool accepted_ = false;
  bool damaged_ = false;  // a block was erased: the old firmware is gone
  std::size_t writePos_ = 0;
  std::size_t imageLength_ = 0;
  std::size_t readPos_ = 0;
  std::uint8_t finishValue_ = 0;
};

}  // namespace tarnwick::sim
