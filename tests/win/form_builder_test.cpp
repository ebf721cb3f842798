// Builds every window design with the form builder and checks what Windows made of it against
// the design itself, at whatever resolution the screen has: sizes and places scaled from twips,
// fonts from points, styles, Tab order, option groups, label colours and text that fits, the
// lines and the image the form paints, and no leak over many create/destroy cycles.
// Exit code 0 when all pass.
#include "resources/form_layouts.h"
#include "tests/win/win_check.h"
#include "win32/form_builder.h"
#include "win32/system_function.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using wexla::ControlKind;
using wexla::ControlLayout;
using wexla::FormLayout;
using wexla::wincheck::check;
using wexla::wincheck::checkEqual;
constexpr int kTwipsPerInch = 1440;
constexpr int kHundredthsPointsPerInch = 7200;
constexpr int kIconSize = 32;
constexpr COLORREF kIconColour = RGB(200, 30, 40);
constexpr int kCycles = 100;
int dpi = 0;

int px(int twips) {
  return MulDiv(twips, dpi, kTwipsPerInch);
}

LRESULT CALLBACK formProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (wexla::handleFormMessage(window, message, wParam, lParam, result)) {
    return result;
  }
  return DefDlgProcA(window, message, wParam, lParam);
}

HICON solidIcon(int size) {
  const std::vector<DWORD> pixels(size * size, 0xC81E28); // kIconColour as 0x00RRGGBB
  const std::vector<BYTE> opaque(size * size / 8, 0);
  ICONINFO info{TRUE, 0, 0, CreateBitmap(size, size, 1, 1, opaque.data()),
                CreateBitmap(size, size, 1, 32, pixels.data())};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return icon;
}
const HICON kBig = solidIcon(kIconSize);
const HICON kSmall = solidIcon(kIconSize / 2);

HWND build(const FormLayout& layout, HWND owner = nullptr) {
  return wexla::createForm(layout, GetModuleHandleA(nullptr), owner, kBig, kSmall, formProc);
}

std::string textOf(HWND window) {
  std::array<char, 256> text{};
  GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

std::vector<HWND> children(HWND form) {
  std::vector<HWND> found;
  for (HWND c = GetWindow(form, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    found.push_back(c);
  }
  return found;
}

// Controls are found by identifier, or by caption when the program never addresses them.
HWND controlOf(HWND form, const ControlLayout& c) {
  if (c.id != wexla::ControlId{}) {
    return GetDlgItem(form, static_cast<int>(c.id));
  }
  for (HWND child : children(form)) {
    if (c.caption[0] != '\0' && textOf(child) == c.caption) {
      return child;
    }
  }
  return c.kind == ControlKind::PictureBox ? GetWindow(form, GW_CHILD) : nullptr;
}

POINT originOf(const FormLayout& layout, const ControlLayout& c) {
  const ControlLayout* frame =
      c.container == wexla::kNoContainer ? nullptr : &layout.controls[c.container];
  return {px(c.left + (frame ? frame->left : 0)), px(c.top + (frame ? frame->top : 0))};
}

// The text's size in the control's own font: one line, or wrapped at the control's width.
SIZE textSize(HWND label, bool wordWrap) {
  HDC dc = GetDC(label);
  HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
  RECT area{};
  GetClientRect(label, &area);
  area.right = wordWrap ? area.right : 0;
  const std::string text = textOf(label);
  DrawTextA(dc, text.c_str(), -1, &area,
            DT_CALCRECT | DT_NOPREFIX | (wordWrap ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, previous);
  ReleaseDC(label, dc);
  return {area.right - area.left, area.bottom - area.top};
}

void checkControls(const FormLayout& layout, HWND form) {
  std::vector<std::pair<int, HWND>> tabOrder;
  for (const ControlLayout& c : layout.controls) {
    HWND w = controlOf(form, c);
    if (c.kind == ControlKind::Line || c.kind == ControlKind::Image || w == nullptr) {
      continue;
    }
    RECT box;
    GetWindowRect(w, &box);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&box), 2);
    const POINT origin = originOf(layout, c);
    checkEqual(box.left, origin.x, c.name, __LINE__);
    checkEqual(box.top, origin.y, c.name, __LINE__);
    checkEqual(box.right - box.left, px(c.width), c.name, __LINE__);
    checkEqual(box.bottom - box.top, px(c.height), c.name, __LINE__);
    check(GetParent(w) == form && textOf(w) == c.caption, c.name, __LINE__);
    tabOrder.emplace_back(c.tabIndex, w);
    if (c.kind == ControlKind::PictureBox) {
      continue;
    }
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof font, &font);
    checkEqual(font.lfHeight, -MulDiv(c.font.pointSizeHundredths, dpi, kHundredthsPointsPerInch),
               c.name, __LINE__);
    check(font.lfWeight == c.font.weight && !font.lfUnderline == !c.font.underline, c.name,
          __LINE__);
    if (c.defaultButton) {
      checkEqual(SendMessageA(form, DM_GETDEFID, 0, 0),
                 MAKELRESULT(static_cast<int>(c.id), DC_HASDEFID), c.name, __LINE__);
    }
    if (c.kind == ControlKind::Label) {
      const SIZE text = textSize(w, c.wordWrap);
      check(text.cx <= px(c.width) && text.cy <= px(c.height), c.name, __LINE__);
      HDC probe = CreateCompatibleDC(nullptr);
      SendMessageA(form, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(probe),
                   reinterpret_cast<LPARAM>(w));
      const COLORREF wanted =
          c.font.color == wexla::kDefaultColor ? GetSysColor(COLOR_WINDOWTEXT) : c.font.color;
      checkEqual(GetTextColor(probe), wanted, c.name, __LINE__);
      DeleteDC(probe);
    }
  }
  // Creation order is the Tab order, whatever the design order.
  std::stable_sort(tabOrder.begin(), tabOrder.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<HWND> expected, created;
  for (const auto& entry : tabOrder) {
    expected.push_back(entry.second);
  }
  for (HWND child : children(form)) {
    if (std::find(expected.begin(), expected.end(), child) != expected.end()) {
      created.push_back(child);
    }
  }
  CHECK(created == expected);
}

// Options sharing a container form one group: clicking one clears the others.
void checkOptionGroups(const FormLayout& layout, HWND form) {
  for (const ControlLayout& clicked : layout.controls) {
    if (clicked.kind != ControlKind::OptionButton) {
      continue;
    }
    SendMessageA(controlOf(form, clicked), BM_CLICK, 0, 0);
    for (const ControlLayout& other : layout.controls) {
      if (other.kind == ControlKind::OptionButton && other.container == clicked.container) {
        const LRESULT state = SendMessageA(controlOf(form, other), BM_GETCHECK, 0, 0);
        checkEqual(state, &other == &clicked ? BST_CHECKED : BST_UNCHECKED, other.name, __LINE__);
      }
    }
  }
}

// Each line's middle shows the colour of the last line in design order that covers it (lines
// cover `lineWidthPixels` rows from a horizontal one's row, up to, not including, its far
// end); the image shows the icon at its natural size.
void checkPaintedItems(const FormLayout& layout, HWND form) {
  ShowWindow(form, SW_SHOWNOACTIVATE);
  UpdateWindow(form);
  HDC dc = GetDC(form);
  for (const ControlLayout& line : layout.controls) {
    const POINT from = originOf(layout, line);
    if (line.kind == ControlKind::Image) {
      checkEqual(GetPixel(dc, from.x + kIconSize - 1, from.y + kIconSize - 1), kIconColour,
                 line.name, __LINE__);
    }
    if (line.kind != ControlKind::Line || line.height != 0) {
      continue;
    }
    // The rows above and below show the face colour, unless another line covers them.
    for (int y = from.y - 1; y <= from.y + line.lineWidthPixels; ++y) {
      const POINT middle{from.x + px(line.width) / 2, y};
      COLORREF wanted = GetSysColor(COLOR_3DFACE);
      for (const ControlLayout& cover : layout.controls) {
        const POINT at = originOf(layout, cover);
        if (cover.kind == ControlKind::Line && cover.height == 0 && middle.x >= at.x &&
            middle.x < at.x + px(cover.width) && middle.y >= at.y &&
            middle.y < at.y + std::max(1, cover.lineWidthPixels)) {
          wanted = cover.font.color == wexla::kDefaultColor ? GetSysColor(COLOR_WINDOWTEXT)
                                                            : cover.font.color;
        }
      }
      checkEqual(GetPixel(dc, middle.x, middle.y), wanted, line.name, __LINE__);
    }
  }
  ReleaseDC(form, dc);
  ShowWindow(form, SW_HIDE);
}

void checkForm(const FormLayout& layout, HWND owner) {
  HWND form = build(layout, owner);
  CHECK(form != nullptr);
  RECT client;
  GetClientRect(form, &client);
  CHECK(client.right == px(layout.clientWidth) && client.bottom == px(layout.clientHeight));
  POINT origin{0, 0};
  ClientToScreen(form, &origin);
  RECT outer;
  GetWindowRect(form, &outer);
  if (layout.placement == wexla::Placement::AtDesignPosition) {
    CHECK(origin.x == px(layout.left) && origin.y == px(layout.top));
  } else {
    CHECK(std::abs(outer.left + outer.right - GetSystemMetrics(SM_CXSCREEN)) <= 1);
    CHECK(std::abs(outer.top + outer.bottom - GetSystemMetrics(SM_CYSCREEN)) <= 1);
  }
  const LONG_PTR style = GetWindowLongPtrA(form, GWL_STYLE);
  const LONG_PTR ex = GetWindowLongPtrA(form, GWL_EXSTYLE);
  CHECK((style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME |
                  WS_VISIBLE)) == (WS_CAPTION | WS_SYSMENU));
  CHECK(((ex & WS_EX_APPWINDOW) != 0) == layout.taskbarButton);
  CHECK(((ex & WS_EX_DLGMODALFRAME) != 0) == (layout.border == wexla::BorderStyle::FixedDialog));
  CHECK(GetWindow(form, GW_OWNER) == (layout.taskbarButton ? nullptr : owner));
  CHECK(textOf(form) == layout.caption);
  checkControls(layout, form);
  checkOptionGroups(layout, form);
  checkPaintedItems(layout, form);
  DestroyWindow(form);
}

// One create/destroy cycle of every form; whether the fonts its controls used are gone.
bool buildAndDestroyAll() {
  std::vector<HWND> forms{build(wexla::kMainFormLayout)};
  forms.push_back(build(wexla::kMouseFormLayout));
  forms.push_back(build(wexla::kAboutFormLayout, forms[0]));
  std::vector<HGDIOBJ> fonts;
  for (HWND form : forms) {
    for (HWND c : children(form)) {
      fonts.push_back(reinterpret_cast<HGDIOBJ>(SendMessageA(c, WM_GETFONT, 0, 0)));
    }
  }
  bool released = std::find(forms.begin(), forms.end(), nullptr) == forms.end();
  std::for_each(forms.rbegin(), forms.rend(), DestroyWindow);
  for (HGDIOBJ font : fonts) {
    released = released && (font == nullptr || GetObjectType(font) == 0);
  }
  return released;
}

} // namespace

int main() {
  // The program is DPI-aware through its manifest; this test has none. The call is missing
  // before Vista, where every process sees the real resolution.
  if (const auto aware =
          wexla::systemFunction<BOOL(WINAPI*)()>("user32.dll", "SetProcessDPIAware")) {
    aware();
  }
  HDC screen = GetDC(nullptr);
  dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  for (const int twips : {7, 8, -8, 1215}) {
    CHECK(wexla::twipsToPixelsX(twips) == px(twips) && wexla::twipsToPixelsY(twips) == px(twips));
  }
  WNDCLASSEXA hook{};
  hook.cbSize = sizeof hook;
  hook.lpfnWndProc = DefWindowProcA;
  hook.hInstance = GetModuleHandleA(nullptr);
  hook.lpszClassName = wexla::kPictureBoxClass;
  RegisterClassExA(&hook);

  HWND main = build(wexla::kMainFormLayout);
  CHECK(main != nullptr && !IsWindowVisible(main));
  checkControls(wexla::kMainFormLayout, main);
  checkForm(wexla::kMouseFormLayout, main);
  checkForm(wexla::kAboutFormLayout, main);
  DestroyWindow(main);

  bool allReleased = buildAndDestroyAll(); // also warms up the system's own caches
  for (int i = 0; i < kCycles; ++i) {
    allReleased = buildAndDestroyAll() && allReleased;
  }
  CHECK(allReleased);
  return wexla::wincheck::finish();
}
