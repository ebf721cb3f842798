// Tray callbacks: a left release or double click opens a new message, a right release shows
// the pop-up menu. Callbacks arriving while one is handled (from the menu's or a modal box's
// message loop) are ignored.
#include "tray/frm_main.h"

#include "platform/message_box_style.h"
#include "tray/message_number.h"

#include <optional>

namespace wexla {
namespace {

constexpr std::int32_t kLeftButtonUp = 514;
constexpr std::int32_t kLeftButtonDoubleClick = 515;
constexpr std::int32_t kRightButtonUp = 517;

// Clears the guard on every way out, also when a command fails with an exception.
class TrayEventScope {
public:
  explicit TrayEventScope(VbBoolean& flag) : flag_(flag) { flag_ = kTrue; }
  TrayEventScope(const TrayEventScope&) = delete;
  TrayEventScope& operator=(const TrayEventScope&) = delete;
  ~TrayEventScope() { flag_ = kFalse; }

private:
  VbBoolean& flag_;
};

} // namespace

void FrmMain::openNewMessage(WindowHandle owner) {
  // A failed hand-off is reported by the shell itself, if at all.
  static_cast<void>(port_.shellExecute(owner, "Open", "mailto:", "", "", kShowNormal));
}

void FrmMain::picHook_MouseMove(float x) {
  const WindowHandle desktop = port_.desktopWindow();
  const std::optional<std::int32_t> number = mouseMessageNumber(x, port_.twipsPerPixelX());
  if (InTrayEvent == kTrue || !number) {
    return;
  }
  const TrayEventScope scope(InTrayEvent);
  switch (*number) {
  case kLeftButtonUp:
    if (state_.DoubleClickOnly == kFalse) {
      openNewMessage(desktop);
    }
    break;
  case kLeftButtonDoubleClick:
    if (state_.DoubleClickOnly != kFalse) {
      openNewMessage(desktop);
    }
    break;
  case kRightButtonUp:
    runMenuCommand(port_.showPopupMenu());
    break;
  default:
    break;
  }
}

} // namespace wexla
