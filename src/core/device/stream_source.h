// Where a stream to the box takes its bytes from: sequential reads with a
// relative seek, so a sender can step back over bytes the box did not take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>

namespace tarnwick {

class StreamSource {
 public:
  virtual ~StreamSource() = default;
  // Up to `size` bytes from the current position: the count read (0 at the
  // end), or a negative number on a read error.
  virtual std::int64_t Read(std::uint8_t* out, std::size_t size) = 0;
  // Moves the position by `delta` bytes (negative moves back).
  virtual bool Seek(std::int64_t delta) = 0;
};

// Bytes held in memory (a merged sector, a test image). Does not copy.
class MemorySource : public StreamSource {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::int64_t Read(std::uint8_t* out, std::size_t size) override;
  bool Seek(std::int64_t delta) override;
  std::size_t position() const { return pos_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

// An open stdio file (the chip-fill work file, a firmware image). The caller
// owns the FILE and places it first.
class FileSource : public StreamSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  std::int64_t Read(std::uint8_t* out, std::size_t size) override;
  bool Seek(std::int64_t delta) override;

 private:
  std::FILE* file_;
};

}  // namespace tarnwick
