#include "platform/text.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace wexla {
namespace {

// Far beyond anything the program handles; a sum that reaches it has overflowed.
constexpr std::size_t kMaxLength = std::numeric_limits<std::size_t>::max() / 4;

std::size_t checkedSum(std::size_t a, std::size_t b) {
  if (a > kMaxLength || b > kMaxLength - a) {
    std::abort();
  }
  return a + b;
}

} // namespace

Text::Text(std::string_view text) {
  *this += text;
}

Text::Text(std::size_t count, char filler) {
  reserve(count);
  std::memset(data_, static_cast<unsigned char>(filler), count);
  size_ = count;
  data_[size_] = '\0';
}

Text::Text(Text&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

Text& Text::operator=(const Text& other) {
  if (this != &other) {
    *this = other.view();
  }
  return *this;
}

Text& Text::operator=(Text&& other) noexcept {
  if (this != &other) {
    delete[] data_;
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

Text& Text::operator=(std::string_view text) {
  if (text.size() <= capacity_ && data_ != nullptr) {
    // The text may be part of this one; an empty view may point nowhere.
    if (!text.empty()) {
      std::memmove(data_, text.data(), text.size());
    }
    size_ = text.size();
    data_[size_] = '\0';
    return *this;
  }
  Text copy(text);
  return *this = std::move(copy);
}

Text::~Text() {
  delete[] data_;
}

void Text::clear() noexcept {
  size_ = 0;
  if (data_ != nullptr) {
    data_[0] = '\0';
  }
}

void Text::reserve(std::size_t capacity) {
  if (capacity <= capacity_ && data_ != nullptr) {
    return;
  }
  char* grown = new char[checkedSum(capacity, 1)];
  std::memcpy(grown, view().data(), size_);
  grown[size_] = '\0';
  delete[] data_;
  data_ = grown;
  capacity_ = capacity;
}

void Text::resize(std::size_t size) {
  reserve(size);
  if (size > size_) {
    std::memset(data_ + size_, 0, size - size_);
  }
  size_ = size;
  data_[size_] = '\0';
}

Text& Text::operator+=(std::string_view text) {
  if (text.empty()) {
    return *this;
  }
  const std::size_t needed = checkedSum(size_, text.size());
  if (needed > capacity_ || data_ == nullptr) {
    // The appended text may be part of this one: copy it before the old buffer goes.
    const std::size_t doubled = capacity_ < kMaxLength / 2 ? capacity_ * 2 : kMaxLength;
    Text grown;
    grown.reserve(needed > doubled ? needed : doubled);
    std::memcpy(grown.data_, view().data(), size_);
    std::memcpy(grown.data_ + size_, text.data(), text.size());
    grown.size_ = needed;
    grown.data_[needed] = '\0';
    return *this = std::move(grown);
  }
  std::memmove(data_ + size_, text.data(), text.size());
  size_ = needed;
  data_[size_] = '\0';
  return *this;
}

Text operator+(const Text& a, std::string_view b) {
  Text sum;
  sum.reserve(checkedSum(a.size(), b.size()));
  sum += a;
  sum += b;
  return sum;
}
Text operator+(const Text& a, const char* b) {
  return a + std::string_view(b);
}
Text operator+(const Text& a, const Text& b) {
  return a + b.view();
}
Text operator+(const char* a, const Text& b) {
  return Text(a) + b.view();
}

} // namespace wexla
