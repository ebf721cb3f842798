#include "dialogs/about/sys_info.h"

#include "platform/message_box_style.h"
#include "state/app_title.h"

#include <array>

namespace wexla {
namespace {

constexpr long kSuccess = 0;
constexpr std::size_t kBytesInUint64 = 8;
constexpr unsigned kBitsPerByte = 8;

// The stored bytes without a terminating zero byte at the end.
std::string_view trimmed(std::string_view stored) {
  if (!stored.empty() && stored.back() == '\0') {
    stored.remove_suffix(1);
  }
  return stored;
}

// The little-endian bytes as an upper-case hexadecimal numeral, most significant byte first.
std::string hexNumeral(std::string_view bytes) {
  static constexpr std::array kDigits{'0', '1', '2', '3', '4', '5', '6', '7',
                                      '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
  constexpr unsigned kNibble = 4;
  constexpr unsigned kNibbleMask = 0xF;
  std::string digits;
  for (std::size_t i = bytes.size(); i-- > 0;) {
    const auto code = static_cast<unsigned char>(bytes[i]);
    digits += kDigits[code >> kNibble];
    digits += kDigits[code & kNibbleMask];
  }
  return digits;
}

// A number is shown as the unsigned decimal text of its numeral, so bit 31 is a value bit,
// not a sign. Numerals too long for a 64-bit number stay as hexadecimal text.
std::string formatNumber(std::string_view bytes) {
  if (bytes.size() > kBytesInUint64) {
    return "&h" + hexNumeral(bytes);
  }
  std::uint64_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) {
    value = (value << kBitsPerByte) | static_cast<unsigned char>(bytes[i]);
  }
  return std::to_string(value);
}

} // namespace

std::optional<std::string> decodeRegistryValue(std::uint32_t type, std::string_view stored) {
  const std::string_view data = trimmed(stored);
  if (type == kRegSz) {
    return std::string(data);
  }
  if (type == kRegDword) {
    return data.empty() ? std::string() : formatNumber(data);
  }
  return std::nullopt;
}

VbBoolean GetKeyValue(RegistryPort& port, RegistryKey KeyRoot, const std::string& KeyName,
                      const std::string& SubKeyRef, std::string& KeyVal) {
  RegistryKey KeyHandle = 0;
  bool read = false;
  bool withoutData = false;
  if (port.regOpenKey(KeyRoot, KeyName, kKeyRead, KeyHandle) == kSuccess) {
    std::array<unsigned char, kValueBufferSize> ValueBuffer{};
    std::uint32_t ValueType = 0;
    std::uint32_t ValueSize = kValueBufferSize;
    read = port.regQueryValue(KeyHandle, SubKeyRef, ValueType, ValueBuffer.data(), ValueSize) ==
               kSuccess &&
           ValueSize <= kValueBufferSize;
    withoutData = read && ValueSize == 0;
    if (read && !withoutData) {
      const std::string_view stored(reinterpret_cast<const char*>(ValueBuffer.data()), ValueSize);
      if (std::optional<std::string> text = decodeRegistryValue(ValueType, stored)) {
        KeyVal = std::move(*text);
      }
    }
  }
  port.regCloseKey(KeyHandle);
  if (withoutData) {
    throw RegistryValueWithoutData();
  }
  if (!read) {
    KeyVal.clear();
  }
  return toVbBoolean(read);
}

void StartSysInfo(Port& port) {
  // Every way the program cannot be found or started, a value without data included, ends in
  // the one message below.
  try {
    std::string ProgramPath;
    bool found =
        GetKeyValue(port, kHkeyLocalMachine, kMsInfoKey, kMsInfoValue, ProgramPath) != kFalse;
    if (!found && GetKeyValue(port, kHkeyLocalMachine, kToolsLocationKey, kToolsLocationValue,
                              ProgramPath) != kFalse) {
      const std::string candidate = ProgramPath + kMsInfoProgram;
      found = !port.findOrdinaryFile(candidate).empty();
      if (found) {
        ProgramPath = candidate;
      }
    }
    if (found && !ProgramPath.empty() && port.startProgram(ProgramPath, kShowNormal)) {
      return;
    }
  } catch (const RegistryValueWithoutData&) {
    // Reported below like every other failed lookup.
  }
  // The answer is deliberately not kept: this box is no question.
  static_cast<void>(port.messageBox(kSysInfoUnavailableText, kAppTitle, kMbOk));
}

} // namespace wexla
