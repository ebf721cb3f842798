#include "win32/form_builder.h"

#include "platform/text.h"
#include "resources/form_layouts.h"
#include "win32/handles.h"

#include <array>
#include <climits>
#include <memory>
#include <utility>

namespace wexla {
namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kHundredthsPointsPerInch = 7200;
constexpr const char* kPreferredFace = "MS Sans Serif";
constexpr const char* kFallbackFace = "MS Shell Dlg";
constexpr const char* kStateProperty = "Wexla98FormState";

struct ScreenResolution {
  int dotsPerInchX;
  int dotsPerInchY;
};

// The process is DPI-aware at the system resolution, which cannot change while it runs.
const ScreenResolution& screenResolution() {
  static const ScreenResolution kResolution = [] {
    const OwnedScreenDc screen(GetDC(nullptr));
    return ScreenResolution{GetDeviceCaps(screen.get(), LOGPIXELSX),
                            GetDeviceCaps(screen.get(), LOGPIXELSY)};
  }();
  return kResolution;
}

int CALLBACK noteFaceFound(const LOGFONTA* font, const TEXTMETRICA* /*metrics*/, DWORD /*type*/,
                           LPARAM found) {
  // Font substitution may answer with another face; only the real one counts.
  if (lstrcmpiA(font->lfFaceName, kPreferredFace) == 0) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
  }
  return 1;
}

Text chooseDialogFace() {
  LOGFONTA query{};
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(query.lfFaceName, kPreferredFace, LF_FACESIZE);
  bool found = false;
  {
    const OwnedScreenDc screen(GetDC(nullptr));
    EnumFontFamiliesExA(screen.get(), &query, noteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
  }
  if (found) {
    return kPreferredFace;
  }
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) &&
      metrics.lfMessageFont.lfFaceName[0] != '\0') {
    return metrics.lfMessageFont.lfFaceName;
  }
  return kFallbackFace;
}

const Text& dialogFace() {
  static const Text kFace = chooseDialogFace();
  return kFace;
}

struct FontKey {
  int pointSizeHundredths;
  int weight;
  bool underline;
  bool operator==(const FontKey&) const = default;
};

struct OwnedFont {
  FontKey key;
  OwnedGdiObject font;
};

struct TextColour {
  HWND control;
  COLORREF colour;
};

// What a form keeps for as long as its window lives.
struct FormState {
  // A design uses a few distinct fonts at most; one beyond these gets the system's font.
  static constexpr std::size_t kMaxFonts = 8;
  std::array<OwnedFont, kMaxFonts> fonts{};
  std::size_t fontCount = 0;
  // At most one per control.
  std::array<TextColour, kMaxControls> textColours{};
  std::size_t textColourCount = 0;

  HFONT font(const FontKey& key) {
    for (std::size_t i = 0; i < fontCount; ++i) {
      if (fonts[i].key == key) {
        return static_cast<HFONT>(fonts[i].font.get());
      }
    }
    if (fontCount == kMaxFonts) {
      return nullptr;
    }
    const int height =
        -MulDiv(key.pointSizeHundredths, screenResolution().dotsPerInchY, kHundredthsPointsPerInch);
    HFONT created = CreateFontA(height, 0, 0, 0, key.weight, FALSE, key.underline, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, dialogFace().c_str());
    if (created != nullptr) {
      fonts[fontCount++] = {key, OwnedGdiObject(created)};
    }
    return created;
  }
};

FormState* formState(HWND form) {
  return static_cast<FormState*>(GetPropA(form, kStateProperty));
}

FontKey fontKeyOf(const FontSpec& font) {
  return {font.pointSizeHundredths, font.weight, font.underline};
}

// A control inside a group box is placed relative to the box's top-left, boxes possibly nested.
POINT clientOrigin(std::span<const ControlLayout> controls, int index) {
  POINT origin{0, 0};
  for (std::size_t depth = 0; index != kNoContainer && depth <= controls.size(); ++depth) {
    if (index < 0 || static_cast<std::size_t>(index) >= controls.size()) {
      break;
    }
    origin.x += twipsToPixelsX(controls[index].left);
    origin.y += twipsToPixelsY(controls[index].top);
    index = controls[index].container;
  }
  return origin;
}

struct ControlStyle {
  const char* windowClass;
  DWORD style;
};

ControlStyle controlStyleOf(const ControlLayout& control) {
  switch (control.kind) {
  case ControlKind::PushButton:
    return {"BUTTON", static_cast<DWORD>(control.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) |
                          WS_TABSTOP};
  case ControlKind::GroupBox:
    return {"BUTTON", BS_GROUPBOX};
  case ControlKind::RadioButton:
    return {"BUTTON", BS_AUTORADIOBUTTON};
  case ControlKind::StaticText:
    return {"STATIC",
            static_cast<DWORD>(control.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP) | SS_NOPREFIX};
  case ControlKind::Rule:
    // Drawn by the form (handleFormMessage): no static style paints the window-text colour.
    return {"STATIC", SS_OWNERDRAW};
  case ControlKind::Separator:
    return {"STATIC", SS_ETCHEDHORZ};
  case ControlKind::Icon:
    break;
  }
  // The icon, centred in the designed box, which keeps its size whatever the icon's.
  return {"STATIC", SS_ICON | SS_CENTERIMAGE};
}

bool hasText(ControlKind kind) {
  return kind == ControlKind::PushButton || kind == ControlKind::GroupBox ||
         kind == ControlKind::RadioButton || kind == ControlKind::StaticText;
}

int heightInPixels(const ControlLayout& control) {
  switch (control.kind) {
  case ControlKind::Separator:
    return kSeparatorHeight;
  case ControlKind::Rule:
    return kRuleHeight;
  default:
    return twipsToPixelsY(control.height);
  }
}

// The windows are created in Z order, which is the order the dialog manager tabs in; the
// controls without one follow in design order. Only the first controls.size() indices count.
using ControlOrder = std::array<int, kMaxControls>;
ControlOrder creationOrder(std::span<const ControlLayout> controls) {
  const auto orderKey = [&](int i) {
    return controls[i].zOrder == kNoZOrder ? INT_MAX : controls[i].zOrder;
  };
  // An insertion sort keeps equal keys in design order; a form has a dozen controls.
  ControlOrder order{};
  for (int i = 0; i < static_cast<int>(controls.size()); ++i) {
    order[i] = i;
    for (int j = i; j > 0 && orderKey(order[j - 1]) > orderKey(order[j]); --j) {
      std::swap(order[j - 1], order[j]);
    }
  }
  return order;
}

bool registerFormClass(const FormLayout& layout, HINSTANCE instance, HICON bigIcon, HICON smallIcon,
                       WNDPROC windowProc) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, layout.className, &existing)) {
    return true;
  }
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = windowProc;
  // DefDlgProcA keeps its state in these bytes.
  windowClass.cbWndExtra = DLGWINDOWEXTRA;
  windowClass.hInstance = instance;
  windowClass.hIcon = bigIcon;
  windowClass.hIconSm = smallIcon;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_3DFACE + 1));
  windowClass.lpszClassName = layout.className;
  return RegisterClassExA(&windowClass) != 0;
}

RECT outerRect(const FormLayout& layout, DWORD style, DWORD exStyle) {
  const int width = twipsToPixelsX(layout.clientWidth);
  const int height = twipsToPixelsY(layout.clientHeight);
  RECT outer{0, 0, width, height};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  if (layout.placement == Placement::AtPosition) {
    OffsetRect(&outer, twipsToPixelsX(layout.left), twipsToPixelsY(layout.top));
  } else {
    const int outerWidth = outer.right - outer.left;
    const int outerHeight = outer.bottom - outer.top;
    outer.left = (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2;
    outer.top = (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2;
    outer.right = outer.left + outerWidth;
    outer.bottom = outer.top + outerHeight;
  }
  return outer;
}

bool createControls(HWND form, const FormLayout& layout, HINSTANCE instance, HICON bigIcon,
                    FormState& state) {
  const std::span<const ControlLayout> controls = layout.controls;
  if (controls.size() > kMaxControls) {
    return false;
  }
  const ControlOrder order = creationOrder(controls);
  // Radio buttons sharing a container are one exclusive group: WS_GROUP opens it and the next
  // control closes it. Only its first option is a Tab stop; the radio buttons move the Tab
  // stop to whichever option gets checked.
  const ControlLayout* previous = nullptr;
  for (int index : std::span(order).first(controls.size())) {
    const ControlLayout& control = controls[index];
    const bool isOption = control.kind == ControlKind::RadioButton;
    const bool previousIsOption = previous != nullptr && previous->kind == ControlKind::RadioButton;
    const bool continuesGroup =
        isOption && previousIsOption && previous->container == control.container;
    const ControlStyle kind = controlStyleOf(control);
    DWORD style = WS_CHILD | WS_VISIBLE | kind.style;
    if (isOption && !continuesGroup) {
      style |= WS_GROUP | WS_TABSTOP;
    } else if (!isOption && previousIsOption) {
      style |= WS_GROUP;
    }
    const POINT origin = clientOrigin(controls, index);
    HWND window =
        CreateWindowExA(0, kind.windowClass, control.caption, style, origin.x, origin.y,
                        twipsToPixelsX(control.width), heightInPixels(control), form,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(static_cast<int>(control.id))),
                        instance, nullptr);
    if (window == nullptr) {
      return false;
    }
    if (control.kind == ControlKind::Separator) {
      // The control gives itself the width of its edges on top of the design's; the design
      // gives the line's length. Should this fail, the line is only two pixels longer.
      SetWindowPos(window, nullptr, 0, 0, twipsToPixelsX(control.width), kSeparatorHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (hasText(control.kind)) {
      SendMessageA(window, WM_SETFONT,
                   reinterpret_cast<WPARAM>(state.font(fontKeyOf(control.font))), FALSE);
    }
    if (control.kind == ControlKind::Icon && bigIcon != nullptr) {
      // The answer is the previous icon: none.
      SendMessageA(window, STM_SETICON, reinterpret_cast<WPARAM>(bigIcon), 0);
    }
    if (control.font.color != kDefaultColor) {
      state.textColours[state.textColourCount++] = {window, control.font.color};
    }
    if (control.defaultButton) {
      SendMessageA(form, DM_SETDEFID, static_cast<WPARAM>(control.id), 0);
    }
    previous = &control;
  }
  return true;
}

} // namespace

int twipsToPixelsX(int twips) {
  return MulDiv(twips, screenResolution().dotsPerInchX, kTwipsPerInch);
}

int twipsToPixelsY(int twips) {
  return MulDiv(twips, screenResolution().dotsPerInchY, kTwipsPerInch);
}

HWND createForm(const FormLayout& layout, HINSTANCE instance, HWND owner, HICON bigIcon,
                HICON smallIcon, WNDPROC windowProc, void* creationData) {
  if (!registerFormClass(layout, instance, bigIcon, smallIcon, windowProc)) {
    return nullptr;
  }
  // A fixed border: no sizing frame and no minimize/maximize boxes.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_BORDER;
  DWORD exStyle = layout.border == Border::DialogModalFrame ? WS_EX_DLGMODALFRAME : 0;
  // WS_EX_TOOLWINDOW would shrink the caption; an owned window loses its taskbar button without.
  HWND ownerWindow = nullptr;
  if (layout.taskbarButton) {
    exStyle |= WS_EX_APPWINDOW;
  } else {
    ownerWindow = owner;
  }
  const RECT outer = outerRect(layout, style, exStyle);
  OwnedWindow form(CreateWindowExA(exStyle, layout.className, layout.caption, style, outer.left,
                                   outer.top, outer.right - outer.left, outer.bottom - outer.top,
                                   ownerWindow, nullptr, instance, creationData));
  if (!form) {
    return nullptr;
  }
  auto state = std::make_unique<FormState>();
  if (!SetPropA(form.get(), kStateProperty, state.get())) {
    return nullptr;
  }
  FormState& built = *state.release(); // the window owns it now: freed on WM_NCDESTROY
  // The answers are the previous icons: none.
  if (bigIcon != nullptr) {
    SendMessageA(form.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
  }
  if (smallIcon != nullptr) {
    SendMessageA(form.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
  }
  if (!createControls(form.get(), layout, instance, bigIcon, built)) {
    return nullptr;
  }
  return form.release();
}

bool handleFormMessage(HWND form, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  FormState* state = formState(form);
  if (state == nullptr) {
    return false;
  }
  switch (message) {
  case WM_CTLCOLORSTATIC:
    for (const TextColour& text : std::span(state->textColours).first(state->textColourCount)) {
      if (text.control == reinterpret_cast<HWND>(lParam)) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, text.colour);
        SetBkColor(dc, GetSysColor(COLOR_3DFACE));
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_3DFACE));
        return true;
      }
    }
    return false;
  case WM_DRAWITEM:
    if (const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        item->CtlType == ODT_STATIC) {
      // A form's only owner-drawn statics are its rules. Should the fill fail, the line is
      // missing from this one paint.
      FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_WINDOWTEXT));
      result = TRUE;
      return true;
    }
    return false;
  case WM_NCDESTROY:
    RemovePropA(form, kStateProperty);
    delete state; // the form owned it from createForm on
    return false;
  default:
    return false;
  }
}

HWND firstTabStop(HWND form) {
  for (HWND child = GetWindow(form, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
    if ((style & WS_TABSTOP) != 0 && (style & WS_VISIBLE) != 0 && (style & WS_DISABLED) == 0) {
      return child;
    }
  }
  return nullptr;
}

} // namespace wexla
