// libFuzzer target for reading one registry value through GetKeyValue. The registry here lies
// freely: any type code, any reported size (zero, within the buffer, far beyond it) and any
// bytes, and it may refuse to open the key or to read the value.
//
// Input: [flags][type, 4 bytes][reported size, 4 bytes][value bytes...], numbers little-endian
//   flags bit 0: the key cannot be opened; bit 1: the value cannot be read.
#include "dialogs/about/sys_info.h"
#include "fuzz/fuzz_driver.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kWord = 4, kHeader = 1 + 2 * kWord, kLargestDecimal = 8;
constexpr long kAccessDenied = 5;
constexpr wexla::RegistryKey kKey = 0x1234;

struct LyingRegistry : wexla::RegistryPort {
  bool openRefused = false, readRefused = false;
  std::uint32_t type = 0, reportedSize = 0, capacity = 0;
  std::string_view value;
  int opened = 0, closed = 0;
  long regOpenKey(wexla::RegistryKey, const std::string&, std::uint32_t,
                  wexla::RegistryKey& key) override {
    if (openRefused) {
      return kAccessDenied;
    }
    ++opened;
    key = kKey;
    return 0;
  }
  long regQueryValue(wexla::RegistryKey key, const std::string&, std::uint32_t& valueType,
                     unsigned char* data, std::uint32_t& size) override {
    require(key == kKey);
    capacity = size;
    // Never writes past what the caller says it has, whatever size it then reports.
    value.copy(reinterpret_cast<char*>(data), size);
    valueType = type;
    size = reportedSize;
    return readRefused ? kAccessDenied : 0;
  }
  void regCloseKey(wexla::RegistryKey key) override {
    require(opened == 0 || key == kKey);
    ++closed;
  }
};

} // namespace

void fuzz_one(std::string_view input) {
  if (input.size() < kHeader) {
    return;
  }
  LyingRegistry port;
  port.openRefused = (input[0] & 1) != 0;
  port.readRefused = (input[0] & 2) != 0;
  // The fuzzing hosts are little-endian, as the format of the input is.
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

  // The key is given back on every way out, exactly once.
  require(port.closed == 1);
  const bool readable = (input[0] & 3) == 0 && port.reportedSize <= wexla::kValueBufferSize;
  // A value without data stops the lookup before anything is converted.
  require(withoutData == (readable && port.reportedSize == 0));
  require(read == (readable && !withoutData));
  require(withoutData ? text == before
          : read      ? port.capacity == wexla::kValueBufferSize
                      : text.empty());
  if (!read) {
    return;
  }
  // The caller's buffer after the read: what was written, then the zeros it started with.
  std::string stored(port.reportedSize, '\0');
  port.value.copy(stored.data(), stored.size());
  if (stored.back() == '\0') {
    stored.pop_back();
  }
  std::uint64_t number = 0;
  std::memcpy(&number, stored.data(), std::min(stored.size(), sizeof number));
  if (port.type == wexla::kRegDword) {
    require(stored.size() > kLargestDecimal
                ? text.starts_with("&h") && text.size() == 2 + 2 * stored.size() &&
                      text.find_first_not_of("0123456789ABCDEF", 2) == std::string::npos
                : text == (stored.empty() ? "" : std::to_string(number)));
  } else {
    require(text == (port.type == wexla::kRegSz ? stored : before));
  }
}
