#pragma once
// Window designs as data, in Win32's own terms: the system's controls, their Z order, the
// window's border and place. Positions and sizes are in twips, turned into real windows by the
// Win32 form builder at the screen's own twips-per-pixel.
#include "platform/window_ids.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace wexla {

enum class ControlKind {
  PushButton,
  GroupBox,
  RadioButton, // radio buttons sharing a group box form one exclusive group
  StaticText,
  Rule,      // a horizontal one-pixel line in the window-text colour
  Separator, // a horizontal etched line: a shadow row over a highlight row
  Icon,      // the built-in icon at its natural size
};

// WS_BORDER alone, or with WS_EX_DLGMODALFRAME's double border; neither can be resized.
enum class Border { Thin, DialogModalFrame };
enum class Placement { Centered, AtPosition }; // centred on the screen, or at left/top

inline constexpr std::uint32_t kDefaultColor = 0xFFFFFFFFu;
// The windows' dialog font, MS Sans Serif 8.25 pt, in hundredths of a point.
inline constexpr int kDialogFontSize = 825;
inline constexpr int kRegularWeight = 400;

struct FontSpec {
  int pointSizeHundredths = kDialogFontSize;
  int weight = kRegularWeight;
  bool underline = false;
  std::uint32_t color = kDefaultColor; // 0x00BBGGRR, or the system's text colour
};

// The most controls a form has: the form builder's tables are this long, and the layouts
// assert that they fit.
inline constexpr std::size_t kMaxControls = 16;

inline constexpr int kNoContainer = -1;
inline constexpr int kNoZOrder = -1;

struct ControlLayout {
  ControlKind kind;
  const char* name;
  ControlId id = ControlId::None; // for the controls the program hears from or drives
  int container = kNoContainer;   // index of the containing group box in the same layout
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  const char* caption = "";
  // Creation order, which is the Z order and so the Tab order; the controls without one
  // follow in design order.
  int zOrder = kNoZOrder;
  FontSpec font{};
  bool defaultButton = false;
  bool cancelButton = false;
  bool wordWrap = false;
};

struct FormLayout {
  const char* className;
  const char* caption;
  int clientWidth;
  int clientHeight;
  Placement placement = Placement::Centered;
  int left = 0; // client area's top-left on the screen, for AtPosition
  int top = 0;
  Border border = Border::Thin;
  bool taskbarButton = false;
  std::span<const ControlLayout> controls;
};

} // namespace wexla
