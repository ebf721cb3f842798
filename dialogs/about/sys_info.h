#pragma once
// Finding and starting the platform's system information program through the registry.
#include "platform/port.h"
#include "platform/vb_boolean.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace wexla {

inline constexpr RegistryKey kHkeyLocalMachine = 0x80000002u;
// Read rights only: the lookup never writes, and write rights are refused to most users.
inline constexpr std::uint32_t kKeyRead = 0x20019u;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kValueBufferSize = 1024;

inline constexpr const char* kMsInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kMsInfoValue = "PATH";
inline constexpr const char* kToolsLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kToolsLocationValue = "MSINFO";
inline constexpr const char* kMsInfoProgram = "\\MSINFO32.EXE";
inline constexpr const char* kSysInfoUnavailableText =
    "System Information Is Unavailable At This Time";

// The text a value's stored bytes stand for; nothing for types that are not converted.
std::optional<std::string> decodeRegistryValue(std::uint32_t type, std::string_view stored);

// A value that holds no data at all: no text can be read from it, so the lookup cannot go on
// (the key is closed all the same).
class RegistryValueWithoutData : public std::exception {
public:
  const char* what() const noexcept override { return "registry value without data"; }
};

// True when the value was read, False when the key or the value cannot be read; throws
// RegistryValueWithoutData for a value without data.
VbBoolean GetKeyValue(RegistryPort& port, RegistryKey KeyRoot, const std::string& KeyName,
                      const std::string& SubKeyRef, std::string& KeyVal);

void StartSysInfo(Port& port);

} // namespace wexla
