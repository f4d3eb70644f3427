#include "core/catalogue/byte_buffer.h"

namespace tarnwick {

void ByteBuffer::Warn(const char* text) const {
  if (sink_) sink_(text, catalogue_text::kBufferCaption, BoxIcon::Error);
}

int ByteBuffer::Create(std::uint32_t n) {
  data_.assign(n, 0);
  created_ = true;
  return 1;
}

int ByteBuffer::SetAt(std::uint32_t index, std::uint8_t byte) {
  if (!created_) {
    Warn(catalogue_text::kNotCreated);
    return 0;
  }
  if (index >= data_.size()) {
    Warn(catalogue_text::kOutOfRange);
    return 0;
  }
  data_[index] = byte;
  return 1;
}

std::uint8_t ByteBuffer::GetAt(std::uint32_t index) const {
  // The same message for both failures: the program has always said so.
  if (!created_ || index >= data_.size()) {
    Warn(catalogue_text::kNotCreated);
    return 0;
  }
  return data_[index];
}

std::uint8_t* ByteBuffer::Data() {
  if (!created_) {
    Warn(catalogue_text::kNotCreated);
    return nullptr;
  }
  return data_.data();
}

std::uint32_t ByteBuffer::Size() const {
  if (!created_) {
    Warn(catalogue_text::kNotCreated);
    return 0;
  }
  return static_cast<std::uint32_t>(data_.size());
}

void ByteBuffer::Free() {
  if (!created_) return;
  data_.clear();
  data_.shrink_to_fit();
  created_ = false;
}

}  // namespace tarnwick
