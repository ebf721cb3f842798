// libFuzzer target for reading one registry value through GetKeyValue. The platform here lies
// freely: any type code, any reported size (zero, within the buffer, far beyond it) and any
// bytes, and it may refuse to open the key or to read the value.
//
// Input: [flags][type, 4 bytes LE][reported size, 4 bytes LE][value bytes...]
//   flags bit 0: the key cannot be opened; bit 1: the value cannot be read.
#include "dialogs/about/sys_info.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

constexpr std::uint8_t kOpenFails = 0x1;
constexpr std::uint8_t kQueryFails = 0x2;
constexpr std::size_t kWordBytes = 4;
constexpr std::size_t kHeaderBytes = 1 + 2 * kWordBytes;
constexpr long kAccessDenied = 5;
constexpr wexla::RegistryKey kOpenedKey = 0x1234;
constexpr std::size_t kMaxDecimalBytes = 8; // wider numbers are shown as hexadecimal
constexpr unsigned kBitsPerByte = 8;
constexpr unsigned kDecimalBase = 10;
constexpr std::size_t kHexPrefixLength = 2; // "&h"

void require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

std::uint32_t littleEndianWord(const std::uint8_t* bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = kWordBytes; i-- > 0;) {
    value = (value << kBitsPerByte) | bytes[i];
  }
  return value;
}

struct RegistryInput {
  bool openFails = false;
  bool queryFails = false;
  std::uint32_t type = 0;
  std::uint32_t reportedSize = 0;
  std::string_view value;
};

class LyingRegistryPort : public wexla::RegistryPort {
public:
  explicit LyingRegistryPort(const RegistryInput& input) : input_(input) {}

  int opened = 0;
  int closed = 0;
  wexla::RegistryKey closedKey = 0;
  std::uint32_t bufferCapacity = 0;

  long regOpenKey(wexla::RegistryKey, const std::string&, std::uint32_t,
                  wexla::RegistryKey& key) override {
    if (input_.openFails) {
      return kAccessDenied;
    }
    ++opened;
    key = kOpenedKey;
    return 0;
  }
  long regQueryValue(wexla::RegistryKey key, const std::string&, std::uint32_t& type,
                     unsigned char* data, std::uint32_t& size) override {
    require(key == kOpenedKey);
    if (input_.queryFails) {
      return kAccessDenied;
    }
    // Never writes past what the caller said it has, whatever size it then reports.
    bufferCapacity = size;
    const std::size_t written = std::min<std::size_t>(input_.value.size(), size);
    std::memcpy(data, input_.value.data(), written);
    type = input_.type;
    size = input_.reportedSize;
    return 0;
  }
  void regCloseKey(wexla::RegistryKey key) override {
    ++closed;
    closedKey = key;
  }

private:
  RegistryInput input_;
};

// The bytes the caller's buffer holds after the read: what was written, then the zeros it
// started with.
std::string bufferAfterRead(std::string_view value, std::uint32_t reportedSize) {
  std::string buffer(reportedSize, '\0');
  std::memcpy(buffer.data(), value.data(), std::min<std::size_t>(value.size(), reportedSize));
  return buffer;
}

std::string withoutTerminator(std::string text) {
  if (!text.empty() && text.back() == '\0') {
    text.pop_back();
  }
  return text;
}

// The unsigned little-endian number, computed independently of the decoder.
std::string decimalOf(std::string_view bytes) {
  unsigned __int128 value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) {
    value = (value << kBitsPerByte) | static_cast<unsigned char>(bytes[i]);
  }
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % kDecimalBase)));
    value /= kDecimalBase;
  } while (value != 0);
  return digits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeaderBytes) {
    return 0;
  }
  RegistryInput input;
  input.openFails = (data[0] & kOpenFails) != 0;
  input.queryFails = (data[0] & kQueryFails) != 0;
  input.type = littleEndianWord(data + 1);
  input.reportedSize = littleEndianWord(data + 1 + kWordBytes);
  input.value =
      std::string_view(reinterpret_cast<const char*>(data + kHeaderBytes), size - kHeaderBytes);

  LyingRegistryPort port(input);
  const std::string before = "previous value";
  std::string keyValue = before;
  wexla::VbBoolean result = wexla::kFalse;
  bool withoutData = false;
  try {
    result = wexla::GetKeyValue(port, wexla::kHkeyLocalMachine, wexla::kMsInfoKey,
                                wexla::kMsInfoValue, keyValue);
  } catch (const wexla::RegistryValueWithoutData&) {
    withoutData = true;
  }

  // The handle is given back on every way out, exactly once.
  require(port.closed == 1);
  require(port.opened == 0 || port.closedKey == kOpenedKey);

  const bool readable =
      !input.openFails && !input.queryFails && input.reportedSize <= wexla::kValueBufferSize;
  // A value without data stops the lookup before anything is converted.
  require(withoutData == (readable && input.reportedSize == 0));
  if (withoutData) {
    require(keyValue == before);
    return 0;
  }
  require(result == (readable ? wexla::kTrue : wexla::kFalse));
  if (!readable) {
    require(keyValue.empty());
    return 0;
  }
  require(port.bufferCapacity == wexla::kValueBufferSize);
  const std::string stored = withoutTerminator(bufferAfterRead(input.value, input.reportedSize));
  if (input.type == wexla::kRegSz) {
    require(keyValue == stored);
  } else if (input.type == wexla::kRegDword) {
    if (stored.empty()) {
      require(keyValue.empty());
    } else if (stored.size() <= kMaxDecimalBytes) {
      require(keyValue == decimalOf(stored));
    } else {
      require(keyValue.rfind("&h", 0) == 0 &&
              keyValue.size() == kHexPrefixLength + 2 * stored.size());
    }
  } else {
    // Types that are not converted leave the caller's text alone.
    require(keyValue == before);
  }
  return 0;
}
