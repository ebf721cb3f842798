#pragma once
// Window designs as data: positions and sizes in twips, turned into real windows by the
// Win32 form builder at the screen's own twips-per-pixel.
#include "platform/window_ids.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace wexla {

enum class ControlKind {
  PushButton,
  Frame,        // group box
  OptionButton, // radio button; options sharing a container form one exclusive group
  Label,        // static text
  Rule,         // a horizontal one-pixel line in the window-text colour
  Separator,    // a horizontal etched line: a shadow row over a highlight row
  Icon,         // the built-in icon at its natural size
};

enum class BorderStyle { FixedSingle, FixedDialog };
enum class Placement { CenterScreen, AtDesignPosition };

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
inline constexpr int kNoTabStop = -1;

struct ControlLayout {
  ControlKind kind;
  const char* name;
  ControlId id = ControlId::None; // for the controls the program hears from or drives
  int container = kNoContainer;   // index of the containing frame in the same layout
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  const char* caption = "";
  int tabIndex = kNoTabStop;
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
  Placement placement = Placement::CenterScreen;
  int left = 0; // client area's top-left on the screen, for AtDesignPosition
  int top = 0;
  BorderStyle border = BorderStyle::FixedSingle;
  bool taskbarButton = false;
  std::span<const ControlLayout> controls;
};

} // namespace wexla
