// libFuzzer target for reading one registry value through GetKeyValue. The registry here lies
// freely: any type code, any reported size (zero, within the buffer, far beyond it) and any
// bytes, and it may refuse to open the key or to read the value.
//
// Input: [flags][type, 4 bytes LE][reported size, 4 bytes LE][value bytes...]
//   flags bit 0: the key cannot be opened; bit 1: the value cannot be read.
#include "dialogs/about/sys_info.h"
#include "fuzz/fuzz_driver.h"
#include "tests/unit/fake_port.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t kWord = 4, kHeader = 1 + 2 * kWord, kLargestDecimal = 8;
constexpr long kAccessDenied = 5;

std::uint64_t littleEndian(std::string_view bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) {
    value = value << 8 | static_cast<unsigned char>(bytes[i]);
  }
  return value;
}

struct LyingRegistry : wexla::test::FakePort {
  bool readRefused = false;
  std::uint32_t type = 0, reportedSize = 0, capacity = 0;
  std::string_view value;
  long regQueryValue(wexla::RegistryKey, const std::string&, std::uint32_t& valueType,
                     unsigned char* data, std::uint32_t& size) override {
    if (readRefused) {
      return kAccessDenied;
    }
    // Never writes past what the caller says it has, whatever size it then reports.
    capacity = size;
    value.copy(reinterpret_cast<char*>(data), size);
    valueType = type;
    size = reportedSize;
    return 0;
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
  port.type = static_cast<std::uint32_t>(littleEndian(input.substr(1, kWord)));
  port.reportedSize = static_cast<std::uint32_t>(littleEndian(input.substr(1 + kWord, kWord)));
  port.value = input.substr(kHeader);
  const std::string before = "previous value";
  std::string text = before;
  const bool read = wexla::GetKeyValue(port, wexla::kHkeyLocalMachine, wexla::kMsInfoKey,
                                       wexla::kMsInfoValue, text) != wexla::kFalse;

  // The key is given back on every way out, exactly once.
  require(std::count(port.calls.begin(), port.calls.end(), "regCloseKey") == 1 &&
          port.openKeys.empty());
  require(read == ((input[0] & 3) == 0 && port.reportedSize <= wexla::kValueBufferSize));
  if (!read) {
    require(text.empty());
    return;
  }
  require(port.capacity == wexla::kValueBufferSize);
  // The caller's buffer after the read: what was written, then the zeros it started with.
  std::string stored(port.reportedSize, '\0');
  port.value.copy(stored.data(), stored.size());
  if (!stored.empty() && stored.back() == '\0') {
    stored.pop_back();
  }
  std::string number = stored.empty() ? "" : std::to_string(littleEndian(stored));
  if (stored.size() > kLargestDecimal) {
    number = "&h";
    for (std::size_t i = stored.size(); i-- > 0;) {
      char digits[3];
      std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(stored[i]));
      number += digits;
    }
  }
  require(text == (port.type == wexla::kRegSz      ? stored
                   : port.type == wexla::kRegDword ? number
                                                   : before));
}
