// Builds every window design with the form builder and checks what Windows made of it, at
// whatever resolution the screen has: the form placed and sized and each control scaled from
// twips, fonts from points, each label's text fitting in the font its control
// really draws with, and the lines and the icon as the system's static controls that draw them.
// Exit code 0 when all pass.
#include "resources/form_layouts.h"
#include "tests/win/win_check.h"
#include "win32/form_builder.h"
#include "win32/system_function.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
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

std::string textOf(HWND window) {
  std::array<char, 256> text{};
  GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

// Whether the window is the system control that the form builder makes of the kind.
bool isOfKind(HWND w, ControlKind kind) {
  std::array<char, 64> name{};
  GetClassNameA(w, name.data(), static_cast<int>(name.size()));
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(w, GWL_STYLE));
  const bool button = lstrcmpiA(name.data(), "Button") == 0;
  const bool label = lstrcmpiA(name.data(), "Static") == 0;
  const DWORD buttonType = style & BS_TYPEMASK;
  const DWORD staticType = style & SS_TYPEMASK;
  switch (kind) {
  case ControlKind::PushButton:
    return button && (buttonType == BS_PUSHBUTTON || buttonType == BS_DEFPUSHBUTTON);
  case ControlKind::GroupBox:
    return button && buttonType == BS_GROUPBOX;
  case ControlKind::RadioButton:
    return button && buttonType == BS_AUTORADIOBUTTON;
  case ControlKind::StaticText:
    return label && (staticType == SS_LEFT || staticType == SS_LEFTNOWORDWRAP);
  case ControlKind::Rule:
    return label && staticType == SS_OWNERDRAW;
  case ControlKind::Separator:
    return label && staticType == SS_ETCHEDHORZ;
  case ControlKind::Icon:
    return label && staticType == SS_ICON;
  }
  return false;
}

// The form's children in the order the builder makes them: by their z-order, then the controls
// without one in design order.
std::vector<const ControlLayout*> creationOrder(const FormLayout& layout) {
  std::vector<const ControlLayout*> order;
  for (const ControlLayout& c : layout.controls) {
    order.push_back(&c);
  }
  const auto key = [](const ControlLayout* c) {
    return c->zOrder == wexla::kNoZOrder ? INT_MAX : c->zOrder;
  };
  std::stable_sort(
      order.begin(), order.end(),
      [&key](const ControlLayout* a, const ControlLayout* b) { return key(a) < key(b); });
  return order;
}

// A label's text in the font the control draws with, which must be the real MS Sans Serif
// (not a substitute with other widths): one line, or wrapped at the control's width.
void checkLabelFits(const ControlLayout& c, HWND label) {
  HDC dc = GetDC(label);
  HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
  std::array<char, LF_FACESIZE> face{};
  GetTextFaceA(dc, static_cast<int>(face.size()), face.data());
  check(std::string(face.data()) == "MS Sans Serif", c.name, __LINE__);
  RECT area{0, 0, c.wordWrap ? px(c.width) : 0, 0};
  const std::string text = textOf(label);
  DrawTextA(dc, text.c_str(), -1, &area,
            DT_CALCRECT | DT_NOPREFIX | (c.wordWrap ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, previous);
  ReleaseDC(label, dc);
  check(area.right <= px(c.width) && area.bottom <= px(c.height), c.name, __LINE__);
}

// A rule shows the window-text colour (which main sets apart from every other system colour),
// not the frame colour that a black-rectangle static paints.
void checkRuleColour(HWND form, const ControlLayout& c, HWND rule) {
  ShowWindow(form, SW_SHOWNOACTIVATE);
  UpdateWindow(form);
  HDC dc = GetDC(rule);
  const COLORREF drawn = GetPixel(dc, 0, 0);
  ReleaseDC(rule, dc);
  ShowWindow(form, SW_HIDE);
  checkEqual(drawn, GetSysColor(COLOR_WINDOWTEXT), c.name, __LINE__);
}

void checkForm(const FormLayout& layout, HWND owner, HICON icon) {
  HWND form = wexla::createForm(layout, GetModuleHandleA(nullptr), owner, icon, icon, formProc);
  RECT client{};
  GetClientRect(form, &client);
  CHECK(form != nullptr && client.right == px(layout.clientWidth) &&
        client.bottom == px(layout.clientHeight));
  // At its design position, or else centred on the screen.
  RECT frame{};
  GetWindowRect(form, &frame);
  POINT origin{0, 0};
  ClientToScreen(form, &origin);
  if (layout.placement == wexla::Placement::AtPosition) {
    CHECK(origin.x == px(layout.left) && origin.y == px(layout.top));
  } else {
    CHECK(std::abs(frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN)) <= 1 &&
          std::abs(frame.top + frame.bottom - GetSystemMetrics(SM_CYSCREEN)) <= 1);
  }
  // Each child is the system control of its design's kind, known by its identifier or caption.
  const std::vector<const ControlLayout*> order = creationOrder(layout);
  std::size_t index = 0;
  for (HWND w = GetWindow(form, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT), ++index) {
    if (index >= order.size()) {
      continue; // one too many, counted below
    }
    const ControlLayout& c = *order[index];
    const bool known = c.id != wexla::ControlId{} ? GetDlgCtrlID(w) == static_cast<int>(c.id)
                                                  : textOf(w) == c.caption;
    check(known && isOfKind(w, c.kind), c.name, __LINE__);
    const ControlLayout* group =
        c.container == wexla::kNoContainer ? nullptr : &layout.controls[c.container];
    RECT box{};
    GetWindowRect(w, &box);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&box), 2);
    checkEqual(box.left, px(c.left + (group ? group->left : 0)), c.name, __LINE__);
    checkEqual(box.top, px(c.top + (group ? group->top : 0)), c.name, __LINE__);
    checkEqual(box.right - box.left, px(c.width), c.name, __LINE__);
    // The lines are as thin as the system draws them; every other control has its height.
    const bool line = c.kind == ControlKind::Separator || c.kind == ControlKind::Rule;
    check(line ? box.bottom > box.top : box.bottom - box.top == px(c.height), c.name, __LINE__);
    if (c.kind == ControlKind::Icon) {
      check(SendMessageA(w, STM_GETICON, 0, 0) == reinterpret_cast<LRESULT>(icon), c.name,
            __LINE__);
    }
    if (c.kind == ControlKind::Rule) {
      checkRuleColour(form, c, w);
    }
    if (*c.caption == '\0') {
      continue; // no text, no font to check
    }
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof font, &font);
    checkEqual(font.lfHeight, -MulDiv(c.font.pointSizeHundredths, dpi, kHundredthsPointsPerInch),
               c.name, __LINE__);
    if (c.kind == ControlKind::StaticText) {
      checkLabelFits(c, w);
    }
  }
  CHECK_EQ(index, order.size());
  DestroyWindow(form);
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
  std::printf("forms at %d dots per inch\n", dpi);
  ReleaseDC(nullptr, screen);
  // A window-text colour that no other system colour has, for this run.
  const int textElement = COLOR_WINDOWTEXT;
  const COLORREF savedText = GetSysColor(textElement);
  const COLORREF distinctText = RGB(0x12, 0x34, 0x56);
  CHECK(SetSysColors(1, &textElement, &distinctText));
  HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));

  HWND main = wexla::createForm(wexla::mainWindowLayout(), GetModuleHandleA(nullptr), nullptr, icon,
                                icon, formProc);
  checkForm(wexla::mainWindowLayout(), nullptr, icon);
  checkForm(wexla::dialogLayout(wexla::WindowId::MouseConfiguration), main, icon);
  checkForm(wexla::dialogLayout(wexla::WindowId::About), main, icon);
  DestroyWindow(main);
  SetSysColors(1, &textElement, &savedText);
  return wexla::wincheck::finish();
}
