// libFuzzer target for reading one registry value through GetKeyValue, from a registry that
// lies freely: any type, any reported size and bytes, and refusals to open or to read.
// Input: [flags][type, 4 bytes][reported size, 4 bytes][value bytes...], little-endian like
// the fuzzing hosts; flags bit 0: the key cannot be opened, bit 1: the value cannot be read.
#include "dialogs/about/sys_info.h"
#include "fuzz/fuzz_driver.h"

#include <cstring>

namespace {

constexpr std::size_t kWord = 4, kHeader = 1 + 2 * kWord;
constexpr long kAccessDenied = 5;
constexpr wexla::RegistryKey kKey = 0x1234;

struct LyingRegistry : wexla::RegistryPort {
  unsigned char flags = 0;
  std::uint32_t type = 0, reportedSize = 0, capacity = 0;
  std::string_view value;
  int closed = 0;
  long regOpenKey(wexla::RegistryKey, const std::string&, std::uint32_t,
                  wexla::RegistryKey& key) override {
    if ((flags & 1) != 0) {
      return kAccessDenied;
    }
    key = kKey;
    return 0;
  }
  long regQueryValue(wexla::RegistryKey key, const std::string&, std::uint32_t& valueType,
                     unsigned char* data, std::uint32_t& size) override {
    require(key == kKey && (flags & 1) == 0);
    capacity = size;
    value.copy(reinterpret_cast<char*>(data), size); // never past what the caller has
    valueType = type;
    size = reportedSize;
    return (flags & 2) != 0 ? kAccessDenied : 0;
  }
  void regCloseKey(wexla::RegistryKey key) override {
    require((flags & 1) != 0 || key == kKey);
    ++closed;
  }
};

} // namespace

void fuzz_one(std::string_view input) {
  if (input.size() < kHeader) {
    return;
  }
  LyingRegistry port;
  port.flags = static_cast<unsigned char>(input[0]);
  std::memcpy(&port.type, input.data() + 1, kWord);
  std::memcpy(&port.reportedSize, input.data() + 1 + kWord, kWord);
  port.value = input.substr(kHeader);
  const std::string before = "previous value";
  std::string text = before;
  bool read = false, withoutData = false;
  try {
    read = wexla::GetKeyValue(port, wexla::kHkeyLocalMachine, wexla::kMsInfoKey,
                              wexla::kMsInfoValue, text) != wexla::kFalse;
  } catch (const wexla::RegistryValueWithoutData&) {
    withoutData = true;
  }
  // The key is given back on every way out, exactly once; a value without data stops the
  // lookup before anything is converted.
  const bool readable = (port.flags & 3) == 0 && port.reportedSize <= wexla::kValueBufferSize;
  require(port.closed == 1 && withoutData == (readable && port.reportedSize == 0));
  require(read == (readable && !withoutData));
  require(withoutData ? text == before
          : read      ? port.capacity == wexla::kValueBufferSize
                      : text.empty());
  if (read) {
    // Exactly the reported bytes reach the decoder (whose texts the unit tests pin down): what
    // the registry wrote, then the zeros the buffer started with.
    std::string stored(port.reportedSize, '\0');
    port.value.copy(stored.data(), stored.size());
    require(text == wexla::decodeRegistryValue(port.type, stored).value_or(before));
  }
}
