// Builds every window design with the form builder and checks what Windows made of it, at
// whatever resolution the screen has: the form placed and sized from twips, each control the
// system control of its kind at its place, fonts from points, each label's text fitting in the
// font its control really draws with, the icon shown and the rule in the window-text colour.
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
#include <iterator>
#include <string>
#include <vector>

namespace {

using wexla::ControlKind;
using wexla::ControlLayout;
using wexla::FormLayout;
using wexla::wincheck::check;
constexpr int kTwipsPerInch = 1440;
constexpr int kHundredthsPointsPerInch = 7200;
int dpi = 0;

int px(int twips) {
  return MulDiv(twips, dpi, kTwipsPerInch);
}

LRESULT CALLBACK formProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  return wexla::handleFormMessage(window, message, wParam, lParam, result)
             ? result
             : DefDlgProcA(window, message, wParam, lParam);
}

std::string textOf(HWND window) {
  std::array<char, 256> text{};
  GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

// The system control each kind is made as: its class and its style's type (two for a push
// button, which may be the default one, and for a label, which may wrap).
struct SystemControl {
  const char* cls;
  DWORD typeMask, type, otherType;
};
const SystemControl kSystemControls[] = {
    {"Button", BS_TYPEMASK, BS_PUSHBUTTON, BS_DEFPUSHBUTTON}, // PushButton
    {"Button", BS_TYPEMASK, BS_GROUPBOX, BS_GROUPBOX},        // GroupBox
    {"Button", BS_TYPEMASK, BS_AUTORADIOBUTTON, BS_AUTORADIOBUTTON},
    {"Static", SS_TYPEMASK, SS_LEFT, SS_LEFTNOWORDWRAP}, // StaticText
    {"Static", SS_TYPEMASK, SS_OWNERDRAW, SS_OWNERDRAW}, // Rule
    {"Static", SS_TYPEMASK, SS_ETCHEDHORZ, SS_ETCHEDHORZ},
    {"Static", SS_TYPEMASK, SS_ICON, SS_ICON}};

bool isOfKind(HWND w, ControlKind kind) {
  const SystemControl& wanted = kSystemControls[static_cast<int>(kind)];
  std::array<char, 64> name{};
  GetClassNameA(w, name.data(), static_cast<int>(name.size()));
  const DWORD type = static_cast<DWORD>(GetWindowLongPtrA(w, GWL_STYLE)) & wanted.typeMask;
  return lstrcmpiA(name.data(), wanted.cls) == 0 &&
         (type == wanted.type || type == wanted.otherType);
}

// A label's text in the font the control draws with, which must be the real MS Sans Serif
// (not a substitute with other widths): one line, or wrapped at the control's width.
bool labelFits(const ControlLayout& c, HWND label) {
  HDC dc = GetDC(label);
  HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
  std::array<char, LF_FACESIZE> face{};
  GetTextFaceA(dc, static_cast<int>(face.size()), face.data());
  RECT area{0, 0, c.wordWrap ? px(c.width) : 0, 0};
  DrawTextA(dc, textOf(label).c_str(), -1, &area,
            DT_CALCRECT | DT_NOPREFIX | (c.wordWrap ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, previous);
  ReleaseDC(label, dc);
  return std::string(face.data()) == "MS Sans Serif" && area.right <= px(c.width) &&
         area.bottom <= px(c.height);
}

// A rule shows the window-text colour (which main sets apart from every other system colour),
// not the frame colour that a black-rectangle static paints.
bool ruleInTextColour(HWND form, HWND rule) {
  ShowWindow(form, SW_SHOWNOACTIVATE);
  UpdateWindow(form);
  HDC dc = GetDC(rule);
  const COLORREF drawn = GetPixel(dc, 0, 0);
  ReleaseDC(rule, dc);
  ShowWindow(form, SW_HIDE);
  return drawn == GetSysColor(COLOR_WINDOWTEXT);
}

void checkForm(const FormLayout& layout, HWND owner, HICON icon) {
  HWND form = wexla::createForm(layout, GetModuleHandleA(nullptr), owner, icon, icon, formProc);
  RECT client{};
  RECT frame{};
  POINT origin{0, 0};
  GetClientRect(form, &client);
  GetWindowRect(form, &frame);
  ClientToScreen(form, &origin);
  // Its client area from twips, at its design position or else centred on the screen.
  check(form != nullptr && client.right == px(layout.clientWidth) &&
            client.bottom == px(layout.clientHeight),
        layout.caption, __LINE__);
  check(layout.placement == wexla::Placement::AtPosition
            ? origin.x == px(layout.left) && origin.y == px(layout.top)
            : std::abs(frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN)) <= 1 &&
                  std::abs(frame.top + frame.bottom - GetSystemMetrics(SM_CYSCREEN)) <= 1,
        layout.caption, __LINE__);
  // The children come in the order the builder makes them: by their z-order, then the
  // controls without one in design order.
  std::vector<const ControlLayout*> order;
  std::ranges::transform(layout.controls, std::back_inserter(order), [](auto& c) { return &c; });
  std::stable_sort(order.begin(), order.end(), [](const ControlLayout* a, const ControlLayout* b) {
    return (a->zOrder == wexla::kNoZOrder ? INT_MAX : a->zOrder) <
           (b->zOrder == wexla::kNoZOrder ? INT_MAX : b->zOrder);
  });
  std::vector<HWND> children;
  for (HWND w = GetWindow(form, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    children.push_back(w);
  }
  check(children.size() == order.size(), layout.caption, __LINE__);
  for (std::size_t i = 0; i < std::min(children.size(), order.size()); ++i) {
    HWND w = children[i];
    const ControlLayout& c = *order[i];
    // Known by its identifier or caption; placed inside its group box, if any.
    const bool known = c.id != wexla::ControlId{} ? GetDlgCtrlID(w) == static_cast<int>(c.id)
                                                  : textOf(w) == c.caption;
    const ControlLayout* group =
        c.container == wexla::kNoContainer ? nullptr : &layout.controls[c.container];
    RECT box{};
    GetWindowRect(w, &box);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&box), 2);
    check(known && isOfKind(w, c.kind) && box.left == px(c.left + (group ? group->left : 0)) &&
              box.top == px(c.top + (group ? group->top : 0)) &&
              box.right - box.left == px(c.width),
          c.name, __LINE__);
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof font, &font);
    check(*c.caption == '\0' ||
              font.lfHeight == -MulDiv(c.font.pointSizeHundredths, dpi, kHundredthsPointsPerInch),
          c.name, __LINE__);
    check(c.kind != ControlKind::StaticText || labelFits(c, w), c.name, __LINE__);
    check(c.kind != ControlKind::Rule || ruleInTextColour(form, w), c.name, __LINE__);
    check(c.kind != ControlKind::Icon ||
              SendMessageA(w, STM_GETICON, 0, 0) == reinterpret_cast<LRESULT>(icon),
          c.name, __LINE__);
  }
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
