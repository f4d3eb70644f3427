// The chip's content in its backing file. Every access goes through
// pread/pwrite so a chip of any size costs no memory; addresses wrap at the
// chip's end as they do on a real serial memory. Programmed blocks that
// follow each other are held back and written together (one read and one
// write per kHoldBack bytes instead of per block); every other access, and
// Flush(), writes them first, so nothing can see the file without them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/box_description.h"

namespace tarnwick::sim {

class ChipStorage {
 public:
  ChipStorage() = default;
  // Writes what is held back first.
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
  // Flash programming: only clears bits (new = old AND data). A block that
  // continues the one before may be held back: false then only says that
  // an earlier write failed.
  bool ProgramAnd(std::uint64_t address, const std::uint8_t* data, std::uint64_t length);
  // Writes the programmed bytes held back into the file. Logically const:
  // the content is the same before and after.
  bool Flush() const;
  // EEPROM writing and sector write-back: the bytes replace what was there.
  bool Overwrite(std::uint64_t address, const std::uint8_t* data, std::uint64_t length);
  bool Fill(std::uint64_t address, std::uint64_t length, std::uint8_t value);
  // The first address in [0, length) that does not hold 0xFF.
  enum class Scan { Blank, NotBlank, Error };
  Scan FindNotBlank(std::uint64_t length, std::uint64_t& address, std::uint8_t& value) const;

 private:
  static constexpr std::size_t kHoldBack = std::size_t{256} << 10;

  template <typename Op>
  bool Span(std::uint64_t address, std::uint64_t length, Op op) const;
  bool AndInFile(std::uint64_t address, const std::uint8_t* data, std::uint64_t length) const;

  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::string path_;
  // Programmed bytes not yet in the file: [heldAt_, heldAt_ + heldLength_).
  mutable std::vector<std::uint8_t> held_;
  mutable std::uint64_t heldAt_ = 0;
  mutable std::size_t heldLength_ = 0;
  // The old bytes a program step reads before it ANDs into them.
  mutable std::vector<std::uint8_t> scratch_;
};

// The recognisable pattern: each 16-byte row starts with its address (most
// significant byte first) followed by "Tarnwick sim".
void PatternBytes(std::uint64_t address, std::uint8_t* out, std::size_t length);

}  // namespace tarnwick::sim
