#pragma once
// A growable list of plain values for the Win32 side, in place of std::vector, whose growth
// reports impossible sizes through the library's exception helpers. Memory comes from
// operator new, which ends the program when it is exhausted; so does a size that overflows.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace wexla {

template <typename T> class PodList {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
  PodList() noexcept = default;
  PodList(PodList&& other) noexcept
      : items_(std::exchange(other.items_, nullptr)), size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  PodList(const PodList&) = delete;
  PodList& operator=(const PodList&) = delete;
  PodList& operator=(PodList&&) = delete;
  ~PodList() { ::operator delete(items_); }

  void pushBack(const T& item) {
    if (size_ == capacity_) {
      grow();
    }
    items_[size_++] = item;
  }
  std::size_t size() const noexcept { return size_; }
  T& operator[](std::size_t index) noexcept { return items_[index]; }
  T* begin() noexcept { return items_; }
  T* end() noexcept { return items_ + size_; }
  const T* begin() const noexcept { return items_; }
  const T* end() const noexcept { return items_ + size_; }

private:
  void grow() {
    constexpr std::size_t kFirstCapacity = 8;
    const std::size_t capacity = capacity_ == 0 ? kFirstCapacity : capacity_ * 2;
    if (capacity > static_cast<std::size_t>(-1) / 2 / sizeof(T)) {
      std::abort();
    }
    T* grown = static_cast<T*>(::operator new(capacity * sizeof(T)));
    if (size_ != 0) {
      std::memcpy(grown, items_, size_ * sizeof(T));
    }
    ::operator delete(items_);
    items_ = grown;
    capacity_ = capacity;
  }

  T* items_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

} // namespace wexla
