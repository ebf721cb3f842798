#include "win32/form_builder.h"

#include "resources/form_layouts.h"

#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace wexla {
namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kHundredthsPointsPerInch = 7200;
constexpr const char* kPreferredFace = "MS Sans Serif";
constexpr const char* kFallbackFace = "MS Shell Dlg";
constexpr const char* kStateProperty = "Wexla98FormState";
// Window class names are at most 256 characters.
constexpr std::size_t kClassNameLength = 257;

struct ScreenResolution {
  int dotsPerInchX;
  int dotsPerInchY;
};

// The process is DPI-aware at the system resolution, which cannot change while it runs.
const ScreenResolution& screenResolution() {
  static const ScreenResolution resolution = [] {
    HDC screen = GetDC(nullptr);
    ScreenResolution r{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
    ReleaseDC(nullptr, screen);
    return r;
  }();
  return resolution;
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

std::string chooseDialogFace() {
  LOGFONTA query{};
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(query.lfFaceName, kPreferredFace, LF_FACESIZE);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(screen, &query, noteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
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

const std::string& dialogFace() {
  static const std::string face = chooseDialogFace();
  return face;
}

struct FontKey {
  int pointSizeHundredths;
  int weight;
  bool underline;
  bool operator==(const FontKey&) const = default;
};

struct OwnedFont {
  FontKey key;
  HFONT font;
};

struct PaintedLine {
  POINT from;
  POINT to;
  int width;
  COLORREF colour;
};

// Lines and the image are not windows; the form paints them in design order.
struct PaintedItem {
  bool isImage;
  POINT origin; // the image's top-left
  PaintedLine line;
};

struct TextColour {
  HWND control;
  COLORREF colour;
};

struct FormState {
  HICON image = nullptr;
  std::vector<OwnedFont> fonts;
  std::vector<PaintedItem> painted;
  std::vector<TextColour> textColours;
  // A message-only form's controls, message-only windows of their own until adopted.
  std::vector<HWND> unadopted;

  ~FormState() {
    for (HWND control : unadopted) {
      DestroyWindow(control);
    }
    for (const OwnedFont& owned : fonts) {
      DeleteObject(owned.font);
    }
  }

  HFONT font(const FontKey& key) {
    for (const OwnedFont& owned : fonts) {
      if (owned.key == key) {
        return owned.font;
      }
    }
    const int height =
        -MulDiv(key.pointSizeHundredths, screenResolution().dotsPerInchY, kHundredthsPointsPerInch);
    HFONT created = CreateFontA(height, 0, 0, 0, key.weight, FALSE, key.underline, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, dialogFace().c_str());
    if (created != nullptr) {
      fonts.push_back({key, created});
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

bool isWindowed(ControlKind kind) {
  return kind != ControlKind::Line && kind != ControlKind::Image;
}

// A control inside a frame is placed relative to the frame's top-left, frames possibly nested.
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

PaintedItem paintedItemOf(std::span<const ControlLayout> controls, int index) {
  const ControlLayout& control = controls[index];
  const POINT from = clientOrigin(controls, index);
  if (control.kind == ControlKind::Image) {
    return {true, from, {}};
  }
  const POINT to{from.x + twipsToPixelsX(control.width), from.y + twipsToPixelsY(control.height)};
  const COLORREF colour =
      control.font.color == kDefaultColor ? GetSysColor(COLOR_WINDOWTEXT) : control.font.color;
  return {false, {}, {from, to, std::max(1, control.lineWidthPixels), colour}};
}

// A horizontal line of width w at row y covers rows y..y+w-1 (a vertical one columns x..x+w-1),
// from its first end up to, not including, its second end, as GDI's LineTo does. Drawing those
// as rectangles keeps the rows exact; a wide GDI pen would centre them on the line instead.
void paintLine(HDC dc, const PaintedLine& line) {
  if (line.from.y == line.to.y || line.from.x == line.to.x) {
    RECT area{std::min(line.from.x, line.to.x), std::min(line.from.y, line.to.y),
              std::max(line.from.x, line.to.x), std::max(line.from.y, line.to.y)};
    if (line.from.y == line.to.y) {
      area.bottom = area.top + line.width;
    } else {
      area.right = area.left + line.width;
    }
    HBRUSH brush = CreateSolidBrush(line.colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    return;
  }
  HPEN pen = CreatePen(PS_SOLID, line.width, line.colour);
  HGDIOBJ previous = SelectObject(dc, pen);
  MoveToEx(dc, line.from.x, line.from.y, nullptr);
  LineTo(dc, line.to.x, line.to.y);
  SelectObject(dc, previous);
  DeleteObject(pen);
}

void paintItems(HDC dc, const FormState& state) {
  for (const PaintedItem& item : state.painted) {
    if (!item.isImage) {
      paintLine(dc, item.line);
    } else if (state.image != nullptr) {
      DrawIconEx(dc, item.origin.x, item.origin.y, state.image, 0, 0, 0, nullptr, DI_NORMAL);
    }
  }
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
  case ControlKind::Frame:
    return {"BUTTON", BS_GROUPBOX};
  case ControlKind::OptionButton:
    return {"BUTTON", BS_AUTORADIOBUTTON};
  case ControlKind::Label:
    return {"STATIC",
            static_cast<DWORD>(control.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP) | SS_NOPREFIX};
  case ControlKind::PictureBox:
  case ControlKind::Line:
  case ControlKind::Image:
    break;
  }
  return {kPictureBoxClass, 0};
}

// The windows are created in Tab order, since the dialog manager tabs in creation order; the
// controls without a Tab index follow in design order.
std::vector<int> creationOrder(std::span<const ControlLayout> controls) {
  std::vector<int> order;
  for (int i = 0; i < static_cast<int>(controls.size()); ++i) {
    if (isWindowed(controls[i].kind)) {
      order.push_back(i);
    }
  }
  const auto tabKey = [&](int i) {
    return controls[i].tabIndex == kNoTabStop ? INT_MAX : controls[i].tabIndex;
  };
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return tabKey(a) < tabKey(b); });
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
  if (layout.placement == Placement::AtDesignPosition) {
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

bool createControls(HWND form, HWND parent, const FormLayout& layout, HINSTANCE instance,
                    FormState& state) {
  const std::span<const ControlLayout> controls = layout.controls;
  // Options sharing a container are one exclusive group: WS_GROUP opens it and the next
  // control closes it. Only its first option is a Tab stop; the radio buttons move the Tab
  // stop to whichever option gets checked.
  const ControlLayout* previous = nullptr;
  for (int index : creationOrder(controls)) {
    const ControlLayout& control = controls[index];
    const bool isOption = control.kind == ControlKind::OptionButton;
    const bool previousIsOption =
        previous != nullptr && previous->kind == ControlKind::OptionButton;
    const bool continuesGroup =
        isOption && previousIsOption && previous->container == control.container;
    ControlStyle kind = controlStyleOf(control);
    DWORD style = WS_CHILD | WS_VISIBLE | kind.style;
    if (isOption && !continuesGroup) {
      style |= WS_GROUP | WS_TABSTOP;
    } else if (!isOption && previousIsOption) {
      style |= WS_GROUP;
    }
    const POINT origin = clientOrigin(controls, index);
    HWND window =
        CreateWindowExA(0, kind.windowClass, control.caption, style, origin.x, origin.y,
                        twipsToPixelsX(control.width), twipsToPixelsY(control.height), parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(static_cast<int>(control.id))),
                        instance, nullptr);
    if (window == nullptr) {
      return false;
    }
    if (parent != form) {
      state.unadopted.push_back(window);
    }
    if (control.kind != ControlKind::PictureBox) {
      HFONT font = state.font(fontKeyOf(control.font));
      SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    if (control.font.color != kDefaultColor) {
      state.textColours.push_back({window, control.font.color});
    }
    if (control.defaultButton) {
      SendMessageA(form, DM_SETDEFID, static_cast<WPARAM>(control.id), 0);
    }
    previous = &control;
  }
  for (int i = 0; i < static_cast<int>(controls.size()); ++i) {
    if (!isWindowed(controls[i].kind)) {
      state.painted.push_back(paintedItemOf(controls, i));
    }
  }
  return true;
}

} // namespace

float twipsPerPixelX() {
  return static_cast<float>(kTwipsPerInch) / static_cast<float>(screenResolution().dotsPerInchX);
}

float twipsPerPixelY() {
  return static_cast<float>(kTwipsPerInch) / static_cast<float>(screenResolution().dotsPerInchY);
}

int twipsToPixelsX(int twips) {
  return MulDiv(twips, screenResolution().dotsPerInchX, kTwipsPerInch);
}

int twipsToPixelsY(int twips) {
  return MulDiv(twips, screenResolution().dotsPerInchY, kTwipsPerInch);
}

HWND createForm(const FormLayout& layout, HINSTANCE instance, HWND owner, HICON bigIcon,
                HICON smallIcon, WNDPROC windowProc) {
  if (!registerFormClass(layout, instance, bigIcon, smallIcon, windowProc)) {
    return nullptr;
  }
  // A fixed border: no sizing frame and no minimize/maximize boxes. No WS_CLIPCHILDREN: the
  // lines inside a frame are painted by the form under the group box, which is transparent.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_BORDER;
  DWORD exStyle = layout.border == BorderStyle::FixedDialog ? WS_EX_DLGMODALFRAME : 0;
  // WS_EX_TOOLWINDOW would shrink the caption; an owned window loses its taskbar button without.
  HWND ownerWindow = nullptr;
  if (layout.taskbarButton) {
    exStyle |= WS_EX_APPWINDOW;
  } else {
    ownerWindow = owner;
  }
  const RECT outer = outerRect(layout, style, exStyle);
  HWND form = CreateWindowExA(exStyle, layout.className, layout.caption, style, outer.left,
                              outer.top, outer.right - outer.left, outer.bottom - outer.top,
                              ownerWindow, nullptr, instance, nullptr);
  if (form == nullptr) {
    return nullptr;
  }
  auto state = std::make_unique<FormState>();
  state->image = bigIcon;
  FormState& built = *state;
  if (!SetPropA(form, kStateProperty, state.get())) {
    DestroyWindow(form);
    return nullptr;
  }
  static_cast<void>(state.release()); // the window owns it now: freed on WM_NCDESTROY
  if (bigIcon != nullptr) {
    SendMessageA(form, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
  }
  if (smallIcon != nullptr) {
    SendMessageA(form, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
  }
  // A message-only form's controls cannot be its children yet: Wine gives the thread an IME
  // window, an X window, with the first child of a window that is not itself message-only.
  HWND controlParent = ownerWindow == HWND_MESSAGE ? HWND_MESSAGE : form;
  if (!createControls(form, controlParent, layout, instance, built)) {
    DestroyWindow(form);
    return nullptr;
  }
  return form;
}

HWND formControl(HWND form, const char* windowClass) {
  if (HWND child = FindWindowExA(form, nullptr, windowClass, nullptr)) {
    return child;
  }
  FormState* state = formState(form);
  if (state == nullptr) {
    return nullptr;
  }
  for (HWND control : state->unadopted) {
    std::array<char, kClassNameLength> name{};
    if (GetClassNameA(control, name.data(), static_cast<int>(name.size())) != 0 &&
        lstrcmpiA(name.data(), windowClass) == 0) {
      return control;
    }
  }
  return nullptr;
}

bool adoptControls(HWND form) {
  FormState* state = formState(form);
  if (state == nullptr) {
    return false;
  }
  while (!state->unadopted.empty()) {
    // A window keeps its coordinates across SetParent, and they were made for this parent.
    if (SetParent(state->unadopted.back(), form) == nullptr) {
      return false;
    }
    state->unadopted.pop_back();
  }
  return true;
}

bool handleFormMessage(HWND form, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  FormState* state = formState(form);
  if (state == nullptr) {
    return false;
  }
  switch (message) {
  case WM_PAINT: {
    if (state->painted.empty()) {
      return false;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(form, &paint);
    paintItems(dc, *state);
    EndPaint(form, &paint);
    result = 0;
    return true;
  }
  case WM_PRINTCLIENT:
    paintItems(reinterpret_cast<HDC>(wParam), *state);
    result = 0;
    return true;
  case WM_CTLCOLORSTATIC:
    for (const TextColour& text : state->textColours) {
      if (text.control == reinterpret_cast<HWND>(lParam)) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, text.colour);
        SetBkColor(dc, GetSysColor(COLOR_3DFACE));
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_3DFACE));
        return true;
      }
    }
    return false;
  case WM_NCDESTROY:
    RemovePropA(form, kStateProperty);
    delete state;
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
