// The fuzzer's bytes as a stream of choices; past the end every choice reads as zero, so every input is a
// complete program of choices.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Empty() const { return at_ >= size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint16_t Word() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
  uint32_t Dword() { return static_cast<uint32_t>(Word() | static_cast<uint32_t>(Word()) << 16); }
  // The rest of the input as wide text, one character per byte pair.
  std::wstring RestAsWide();

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

}  // namespace fuzz
