#pragma once
// Finding the system's information program through the registry and starting it.
#include "platform/port.h"

namespace wexla {

inline constexpr const char* kMsInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kMsInfoValue = "PATH";
inline constexpr const char* kToolsLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kToolsLocationValue = "MSINFO";
inline constexpr const char* kMsInfoProgram = "\\MSINFO32.EXE";
inline constexpr const char* kSysInfoUnavailableText =
    "System Information Is Unavailable At This Time";

// The roles the lookup uses.
struct SystemInfoPlatform {
  Registry& registry;
  Files& files;
  Shell& shell;
  Messages& messages;
};

// Starts the program that the first entry names, or else MSINFO32.EXE in the folder that the
// second names; every way in which that fails ends in the one message above.
void startSystemInformation(const SystemInfoPlatform& platform);

} // namespace wexla
