// Builds every window design with the form builder and checks what Windows made of it, at
// whatever resolution the screen has: the form and each control scaled from twips, fonts from
// points, and each label's text fitting in the font its control really draws with.
// Exit code 0 when all pass.
#include "resources/form_layouts.h"
#include "tests/win/win_check.h"
#include "win32/form_builder.h"
#include "win32/system_function.h"

#include <windows.h>

#include <array>
#include <string>

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

// Controls are found by identifier, or by caption when the program never addresses them.
HWND controlOf(HWND form, const ControlLayout& c) {
  if (c.id != wexla::ControlId{}) {
    return GetDlgItem(form, static_cast<int>(c.id));
  }
  for (HWND w = GetWindow(form, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (c.caption[0] != '\0' && textOf(w) == c.caption) {
      return w;
    }
  }
  return nullptr;
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

void checkForm(const FormLayout& layout, HWND owner) {
  HWND form =
      wexla::createForm(layout, GetModuleHandleA(nullptr), owner, nullptr, nullptr, formProc);
  RECT client{};
  GetClientRect(form, &client);
  CHECK(form != nullptr && client.right == px(layout.clientWidth) &&
        client.bottom == px(layout.clientHeight));
  for (const ControlLayout& c : layout.controls) {
    HWND w = controlOf(form, c);
    if (w == nullptr) {
      continue; // lines and images are painted, not windows
    }
    const ControlLayout* frame =
        c.container == wexla::kNoContainer ? nullptr : &layout.controls[c.container];
    RECT box{};
    GetWindowRect(w, &box);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&box), 2);
    checkEqual(box.left, px(c.left + (frame ? frame->left : 0)), c.name, __LINE__);
    checkEqual(box.top, px(c.top + (frame ? frame->top : 0)), c.name, __LINE__);
    checkEqual(box.right - box.left, px(c.width), c.name, __LINE__);
    checkEqual(box.bottom - box.top, px(c.height), c.name, __LINE__);
    if (c.kind == ControlKind::PictureBox) {
      continue;
    }
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof font, &font);
    checkEqual(font.lfHeight, -MulDiv(c.font.pointSizeHundredths, dpi, kHundredthsPointsPerInch),
               c.name, __LINE__);
    if (c.kind == ControlKind::Label) {
      checkLabelFits(c, w);
    }
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
  ReleaseDC(nullptr, screen);
  const WNDCLASSA hook{0,       DefWindowProcA, 0,       0,       GetModuleHandleA(nullptr),
                       nullptr, nullptr,        nullptr, nullptr, wexla::kPictureBoxClass};
  CHECK(RegisterClassA(&hook) != 0);

  HWND main = wexla::createForm(wexla::kMainFormLayout, GetModuleHandleA(nullptr), nullptr, nullptr,
                                nullptr, formProc);
  checkForm(wexla::kMainFormLayout, nullptr);
  checkForm(wexla::kMouseFormLayout, main);
  checkForm(wexla::kAboutFormLayout, main);
  DestroyWindow(main);
  return wexla::wincheck::finish();
}
