// Keeps the program's own runtime from costing more than the program: what the static C++
// runtime and the loader would otherwise add to wexla98.exe's size and start-up.
//
// libstdc++ keeps all its std::__throw_* helpers in one object; linking it for the one or two the
// program can reach also drags in the exception classes that hold a copy-on-write string, that
// string's whole explicit instantiation and, through it, std::random_device and the C++11 string
// (about 90 KB together). The default terminate handler in turn brings the symbol demangler and
// MinGW's printf (about 60 KB) only to print a message on a stderr a GUI program does not have.
//
// The program relies on neither: every handler runs inside one catch of std::exception, which
// beeps and drops the command, and the library reports only a broken precondition or exhausted
// memory through these helpers. So each helper throws an exception of the matching kind where the
// runtime has one without a string member, and otherwise a plain std::exception that carries the
// library's message as it was given. Every helper of that object is defined here, so the linker
// never needs the original, whichever library object asks for one.
#include <bits/functexcept.h>

#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class LibraryError : public std::exception {
public:
  explicit LibraryError(const char* message) noexcept : message_(message) {}
  const char* what() const noexcept override { return message_; }

private:
  const char* message_;
};

} // namespace

// Replacing the library's own helpers is the point of this file.
namespace std { // NOLINT(cert-dcl58-cpp)

void __throw_bad_exception() {
  throw std::bad_exception();
}
void __throw_bad_alloc() {
  throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
  throw std::bad_array_new_length();
}
void __throw_bad_cast() {
  throw std::bad_cast();
}
void __throw_bad_typeid() {
  throw std::bad_typeid();
}
void __throw_logic_error(const char* message) {
  throw LibraryError(message);
}
void __throw_domain_error(const char* message) {
  throw LibraryError(message);
}
void __throw_invalid_argument(const char* message) {
  throw LibraryError(message);
}
void __throw_length_error(const char* message) {
  throw LibraryError(message);
}
void __throw_out_of_range(const char* message) {
  throw LibraryError(message);
}
// The format's arguments only decorate the message; the format itself names the failed check.
void __throw_out_of_range_fmt(const char* format, ...) { // NOLINT(cert-dcl50-cpp): its signature
  throw LibraryError(format);
}
void __throw_runtime_error(const char* message) {
  throw LibraryError(message);
}
void __throw_range_error(const char* message) {
  throw LibraryError(message);
}
void __throw_overflow_error(const char* message) {
  throw LibraryError(message);
}
void __throw_underflow_error(const char* message) {
  throw LibraryError(message);
}

} // namespace std

namespace __gnu_cxx {

// An exception that escapes anyway ends the program as before, without the report nobody sees.
void __verbose_terminate_handler() {
  std::abort();
}

} // namespace __gnu_cxx
