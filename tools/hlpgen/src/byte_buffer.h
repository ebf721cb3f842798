// Little-endian output buffer: every integer in a help file is little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace hlpgen {

using Bytes = std::vector<std::uint8_t>;

class ByteBuffer {
public:
  void u8(std::uint8_t value) { bytes_.push_back(value); }
  void u16(std::uint16_t value) {
    u8(static_cast<std::uint8_t>(value));
    u8(static_cast<std::uint8_t>(value >> 8));
  }
  void u32(std::uint32_t value) {
    u16(static_cast<std::uint16_t>(value));
    u16(static_cast<std::uint16_t>(value >> 16));
  }
  void i32(std::int32_t value) { u32(static_cast<std::uint32_t>(value)); }
  void append(const Bytes& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }
  void text(std::string_view value) { bytes_.insert(bytes_.end(), value.begin(), value.end()); }
  void cstring(std::string_view value) {
    text(value);
    u8(0);
  }
  // A fixed-size field: the text cut or NUL-padded to exactly size bytes.
  void padded(std::string_view value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      u8(i < value.size() ? static_cast<std::uint8_t>(value[i]) : 0);
    }
  }
  void zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
  void put_u32_at(std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < sizeof value; ++i) {
      bytes_[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
  }

  std::size_t size() const { return bytes_.size(); }
  const Bytes& bytes() const { return bytes_; }
  Bytes take() { return std::move(bytes_); }

private:
  Bytes bytes_;
};

} // namespace hlpgen
