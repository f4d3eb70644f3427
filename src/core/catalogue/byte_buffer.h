// The catalogue's load buffer: a heap byte buffer whose accessors check their
// bounds and say so in an error box instead of touching foreign memory.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/catalogue/catalogue_messages.h"

namespace tarnwick {

class ByteBuffer {
 public:
  explicit ByteBuffer(CatalogueMessageSink sink = {}) : sink_(std::move(sink)) {}

  // Allocates n zero bytes (dropping any earlier content). Returns 1.
  int Create(std::uint32_t n);
  // 1 on success; 0 with a message when not created or out of range.
  int SetAt(std::uint32_t index, std::uint8_t byte);
  // The byte, or 0 with a message when not created or out of range.
  std::uint8_t GetAt(std::uint32_t index) const;
  // Null / 0 with a message when not created.
  std::uint8_t* Data();
  std::uint32_t Size() const;
  void Free();
  bool Created() const { return created_; }

 private:
  void Warn(const char* text) const;

  CatalogueMessageSink sink_;
  bool created_ = false;
  std::vector<std::uint8_t> data_;
};

}  // namespace tarnwick
