// The chip's content in its backing file. Every access goes through
// pread/pwrite so a chip of any size costs no memory; addresses wrap at the
// chip's end as they do on a real serial memory.
#pragma once

#include <cstdint>
#include <string>

#include "sim/box_description.h"

namespace tarnwick::sim {

class ChipStorage {
 public:
  ChipStorage() = default;
  ~ChipStorage();
  ChipStorage(const ChipStorage&) = delete;
  ChipStorage& operator=(const ChipStorage&) = delete;
  ChipStorage(ChipStorage&& other) noexcept;
  ChipStorage& operator=(ChipStorage&& other) noexcept;

  // Opens the file, creating it (blank or with the address pattern) when it
  // is missing. A file of another size than the chip is refused rather than
  // cut or grown: it most likely belongs to another chip.
  bool Open(const std::string& path, std::uint64_t size, ContentFill fill, std::string& error);

  std::uint64_t Size() const { return size_; }
  const std::string& Path() const { return path_; }

  bool Read(std::uint64_t address, std::uint8_t* out, std::uint64_t length) const;
  // Flash programming: only clears bits (new = old AND data).
  bool ProgramAnd(std::uint64_t address, const std::uint8_t* data, std::uint64_t length);
  // EEPROM writing and sector write-back: the bytes replace what was there.
  bool Overwrite(std::uint64_t address, const std::uint8_t* data, std::uint64_t length);
  bool Fill(std::uint64_t address, std::uint64_t length, std::uint8_t value);
  // The first address in [0, length) that does not hold 0xFF.
  enum class Scan { Blank, NotBlank, Error };
  Scan FindNotBlank(std::uint64_t length, std::uint64_t& address, std::uint8_t& value) const;

 private:
  template <typename Op>
  bool Span(std::uint64_t address, std::uint64_t length, Op op) const;

  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::string path_;
};

// The recognisable pattern: each 16-byte row starts with its address (most
// significant byte first) followed by "Tarnwick sim".
void PatternBytes(std::uint64_t address, std::uint8_t* out, std::size_t length);

}  // namespace tarnwick::sim
