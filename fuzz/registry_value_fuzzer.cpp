// libFuzzer target for reading one registry value through GetKeyValue. The registry here lies
// freely: any type code, any reported size (zero, within the buffer, far beyond it) and any
// bytes, and it may refuse to open the key or to read the value.
//
// Input: [flags][type, 4 bytes][reported size, 4 bytes][value bytes...], numbers little-endian
//   flags bit 0: the key cannot be opened; bit 1: the value cannot be read.
#include "dialogs/about/sys_info.h"
#include "fuzz/fuzz_driver.h"
#include "tests/unit/fake_port.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kWord = 4, kHeader = 1 + 2 * kWord, kLargestDecimal = 8;
constexpr long kAccessDenied = 5;

struct LyingRegistry : wexla::test::FakePort {
  bool readRefused = false;
  std::uint32_t type = 0, reportedSize = 0, capacity = 0;
  std::string_view value;
  long regQueryValue(wexla::RegistryKey, const std::string&, std::uint32_t& valueType,
                     unsigned char* data, std::uint32_t& size) override {
    capacity = size;
    // Never writes past what the caller says it has, whatever size it then reports.
    value.copy(reinterpret_cast<char*>(data), size);
    valueType = type;
    size = reportedSize;
    return readRefused ? kAccessDenied : 0;
  }
};

} // namespace

void fuzz_one(std::string_view input) {
  if (input.size() < kHeader) {
    return;
  }
  LyingRegistry port;
  port.registry[wexla::kMsInfoKey] = {};
  if ((input[0] & 1) != 0) {
    port.failing.insert("regOpenKey");
  }
  port.readRefused = (input[0] & 2) != 0;
  // The fuzzing hosts are little-endian, as the format of the input is.
  std::memcpy(&port.type, input.data() + 1, kWord);
  std::memcpy(&port.reportedSize, input.data() + 1 + kWord, kWord);
  port.value = input.substr(kHeader);
  const std::string before = "previous value";
  std::string text = before;
  const bool read = wexla::GetKeyValue(port, wexla::kHkeyLocalMachine, wexla::kMsInfoKey,
                                       wexla::kMsInfoValue, text) != wexla::kFalse;

  // The key is given back on every way out, exactly once.
  require(std::count(port.calls.begin(), port.calls.end(), "regCloseKey") == 1 &&
          port.openKeys.empty());
  require(read == ((input[0] & 3) == 0 && port.reportedSize <= wexla::kValueBufferSize));
  require(read ? port.capacity == wexla::kValueBufferSize : text.empty());
  // The caller's buffer after the read: what was written, then the zeros it started with.
  std::string stored(read ? port.reportedSize : 0, '\0');
  port.value.copy(stored.data(), stored.size());
  if (!stored.empty() && stored.back() == '\0') {
    stored.pop_back();
  }
  std::uint64_t number = 0;
  std::memcpy(&number, stored.data(), std::min(stored.size(), sizeof number));
  const bool hex = stored.size() > kLargestDecimal;
  if (read && port.type == wexla::kRegDword) {
    require(hex ? text.starts_with("&h") && text.size() == 2 + 2 * stored.size() &&
                      text.find_first_not_of("0123456789ABCDEF", 2) == std::string::npos
                : text == (stored.empty() ? "" : std::to_string(number)));
  } else if (read) {
    require(text == (port.type == wexla::kRegSz ? stored : before));
  }
}
