#include "win32/single_instance.h"

#include "platform/text.h"
#include "win32/handles.h"

#include <windows.h>

#include <sddl.h>

namespace wexla {
namespace {

// "Local\" puts the mark in the session's own namespace: a copy in another Terminal Services
// or fast-user-switching session is that session's business. Windows 2000 accepts the prefix
// with or without Terminal Services (without, it has a single namespace, which serves one
// interactive user at a time anyway); only Windows NT 4, which the program does not run on,
// would refuse the backslash. The name does not depend on the program's path, so a copy
// started from another folder counts as the same program.
constexpr const char* kMarkPrefix = "Local\\Wexla98.Running.";

// The mark while this process holds it; the system also removes it with the process, however
// the process ends.
OwnedKernelObject heldMark;

// The user's SID as text, or "" when it cannot be read. Part of the name, so that another user
// in the same session (Run as) has a mark of their own instead of being refused access to ours.
Text userSidText() {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) {
    return {};
  }
  const OwnedKernelObject token(opened);
  // TOKEN_USER points into the same buffer at the SID that follows it.
  alignas(TOKEN_USER) unsigned char user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  Text text;
  char* sid = nullptr;
  if (GetTokenInformation(token.get(), TokenUser, user, sizeof user, &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid)) {
    text = sid;
    LocalFree(sid); // nothing to do should it fail: a few bytes for the life of the process
  }
  return text;
}

} // namespace

bool claimSessionInstance() {
  const Text name = kMarkPrefix + userSidText();
  // Creating a new object is not promised to clear the last error; the check below needs it.
  SetLastError(ERROR_SUCCESS);
  HANDLE mark = CreateMutexA(nullptr, FALSE, name.c_str());
  const DWORD error = GetLastError();
  if (mark == nullptr) {
    // Access denied: the mark exists, made by a copy of the same user with other rights (an
    // elevated one). Anything else keeps this copy running: two copies are better than none.
    return error != ERROR_ACCESS_DENIED;
  }
  heldMark.reset(mark);
  return error != ERROR_ALREADY_EXISTS;
}

void releaseSessionInstance() {
  heldMark.reset();
}

} // namespace wexla
