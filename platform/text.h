#pragma once
// The program's own owning string: the few operations the program uses, nothing more.
//
// std::string reports impossible lengths and exhausted memory through the library's exception
// helpers, and linking those brings the whole exception runtime into the Windows program. Text
// allocates with operator new[] (which the Windows program replaces so that exhausted memory
// ends the program) and treats a length that cannot be represented the same way: std::abort().
#include <cstddef>
#include <string_view>
#include <type_traits>

namespace wexla {

class Text {
public:
  Text() noexcept = default;
  // Any text converts, as a literal does to std::string: the port's calls take names and
  // messages as Text, whatever form the caller holds them in.
  // cppcheck-suppress noExplicitConstructor
  Text(const char* text) : Text(std::string_view(text)) {} // NOLINT: as documented above
  // cppcheck-suppress noExplicitConstructor
  Text(std::string_view text); // NOLINT: as documented above
  Text(std::size_t count, char filler);
  Text(const Text& other) : Text(other.view()) {}
  Text(Text&& other) noexcept;
  Text& operator=(const Text& other);
  Text& operator=(Text&& other) noexcept;
  Text& operator=(std::string_view text);
  Text& operator=(const char* text) { return *this = std::string_view(text); }
  ~Text();

  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  const char* data() const noexcept { return data_ != nullptr ? data_ : ""; }
  // Always a buffer of this text's own, with room for size() characters and the terminator.
  char* data() {
    reserve(size_);
    return data_;
  }
  // Named as std::string's, for the system calls that take a terminated string.
  const char* c_str() const noexcept { return data(); } // NOLINT(readability-identifier-naming)
  // As std::string's, index size() is the terminator, also before anything was allocated.
  char& operator[](std::size_t index) { return data()[index]; }
  const char& operator[](std::size_t index) const noexcept { return data()[index]; }
  char back() const noexcept { return data_[size_ - 1]; }
  char* begin() { return data(); }
  char* end() { return data() + size_; }
  const char* begin() const noexcept { return data(); }
  const char* end() const noexcept { return data() + size_; }
  std::string_view view() const noexcept { return {data(), size_}; }
  operator std::string_view() const noexcept { return view(); } // NOLINT: as std::string does

  void clear() noexcept;
  void reserve(std::size_t capacity);
  // New characters are zero bytes.
  void resize(std::size_t size);
  Text& operator+=(std::string_view text);
  Text& operator+=(const char* text) { return *this += std::string_view(text); }
  Text& operator+=(const Text& text) { return *this += text.view(); }
  Text& operator+=(char c) { return *this += std::string_view(&c, 1); }
  // A number is no character: appending one is a mistake the compiler reports.
  template <typename Number>
  requires std::is_arithmetic_v<Number> Text& operator+=(Number) = delete;

  friend bool operator==(const Text& a, const Text& b) noexcept { return a.view() == b.view(); }
  friend bool operator==(const Text& a, std::string_view b) noexcept { return a.view() == b; }
  friend bool operator==(const Text& a, const char* b) noexcept {
    return a.view() == std::string_view(b);
  }

private:
  char* data_ = nullptr; // null while nothing was ever allocated
  std::size_t size_ = 0;
  std::size_t capacity_ = 0; // characters, not counting the terminating zero
};

Text operator+(const Text& a, std::string_view b);
Text operator+(const Text& a, const char* b);
Text operator+(const Text& a, const Text& b);
Text operator+(const char* a, const Text& b);

} // namespace wexla
