// The program's replacements of the global allocation functions ([replacement.functions]).
//
// The library's own operator new reports exhausted memory by throwing std::bad_alloc, which the
// program, built without exceptions, cannot catch; linking it would also bring the exception
// runtime into wexla98.exe. These take memory from the C runtime's malloc (msvcrt.dll) instead,
// and a request it cannot meet ends the program at once through abort(): nothing runs on with a
// null pointer where memory was promised. The nothrow forms return null, as the standard asks.
#include <cstddef>
#include <cstdlib>
#include <new>

// What the C runtime's malloc promises: 8 bytes on 32-bit Windows, 16 on 64-bit. The compiler
// assumes operator new's memory is aligned to __STDCPP_DEFAULT_NEW_ALIGNMENT__; where that is
// more, the build passes -faligned-new with this value.
constexpr std::size_t kMallocAlignment = 2 * sizeof(void*);
static_assert(__STDCPP_DEFAULT_NEW_ALIGNMENT__ <= kMallocAlignment,
              "operator new promises more alignment than malloc gives");

namespace {

void* allocate(std::size_t size) noexcept {
  // A request for zero bytes still yields a distinct pointer.
  return std::malloc(size != 0 ? size : 1);
}

void* allocateOrAbort(std::size_t size) noexcept {
  void* memory = allocate(size);
  if (memory == nullptr) {
    std::abort();
  }
  return memory;
}

void release(void* memory) noexcept {
  std::free(memory);
}

} // namespace

void* operator new(std::size_t size) {
  return allocateOrAbort(size);
}
void* operator new[](std::size_t size) {
  return allocateOrAbort(size);
}
void* operator new(std::size_t size, const std::nothrow_t& /*nothrow*/) noexcept {
  return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t& /*nothrow*/) noexcept {
  return allocate(size);
}

void operator delete(void* memory) noexcept {
  release(memory);
}
void operator delete[](void* memory) noexcept {
  release(memory);
}
void operator delete(void* memory, std::size_t /*size*/) noexcept {
  release(memory);
}
void operator delete[](void* memory, std::size_t /*size*/) noexcept {
  release(memory);
}
void operator delete(void* memory, const std::nothrow_t& /*nothrow*/) noexcept {
  release(memory);
}
void operator delete[](void* memory, const std::nothrow_t& /*nothrow*/) noexcept {
  release(memory);
}
