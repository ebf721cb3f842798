#pragma once
// Window designs as data: positions and sizes in twips, turned into real windows by the
// Win32 form builder at the screen's own twips-per-pixel.
#include "platform/form_id.h"

#include <cstdint>
#include <span>

namespace wexla {

enum class ControlKind {
  PushButton,
  Frame,        // group box
  OptionButton, // radio button; options sharing a container form one exclusive group
  Label,        // static text
  Line,         // painted by the window: left/top is one end, left+width/top+height the other
  Image,        // the built-in icon, painted at its natural size
  PictureBox,   // a plain child window of the picture-box class (the tray callback window)
};

enum class BorderStyle { FixedSingle, FixedDialog };
enum class Placement { CenterScreen, AtDesignPosition };

inline constexpr std::uint32_t kDefaultColor = 0xFFFFFFFFu;
inline constexpr int kDefaultFontSize = 0;

struct FontSpec {
  int pointSizeHundredths = kDefaultFontSize; // 0: the window's default dialog font
  int weight = 0;                             // 0: regular
  bool underline = false;
  std::uint32_t color = kDefaultColor; // 0x00BBGGRR, or the system colour
};

inline constexpr int kNoContainer = -1;
inline constexpr int kNoTabStop = -1;

struct ControlLayout {
  ControlKind kind;
  const char* name;
  ControlId id;
  int container; // index of the containing frame in the same layout, or kNoContainer
  int left;
  int top;
  int width;
  int height;
  const char* caption;
  int tabIndex;
  FontSpec font{};
  int lineWidthPixels = 1;
  bool defaultButton = false;
  bool cancelButton = false;
  bool wordWrap = false;
};

struct FormLayout {
  const char* className;
  const char* caption;
  int clientWidth;
  int clientHeight;
  Placement placement;
  int left; // client area's top-left on the screen, for AtDesignPosition
  int top;
  BorderStyle border;
  bool taskbarButton;
  std::span<const ControlLayout> controls;
};

} // namespace wexla
