// Builds the program's real window designs with the form builder and checks what Windows made of
// them: sizes and places in pixels, styles, texts, Tab order, option groups, fonts, colours, the
// pixels the form paints itself, and that nothing leaks over many create/destroy cycles.
// The scaling of every form and the fit of every label's text are checked at the screen's
// resolution, whatever it is; the exact pixel figures below are the ones at 96 DPI (15 twips per
// pixel) and are checked only there. Exit code 0 when all pass.
#include "resources/form_layouts.h"
#include "tests/win/win_check.h"
#include "wexla_version.h"
#include "win32/form_builder.h"
#include "win32/system_function.h"

#include <windows.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using wexla::wincheck::check;
using wexla::wincheck::checkEqual;

// Expected figures, in pixels at 96 DPI.
struct Box {
  int x;
  int y;
  int width;
  int height;
};

constexpr int kExpectedDpi = 96;
constexpr float kTwipsPerPixel = 15.0f;
constexpr SIZE kMouseClient{196, 151};
constexpr SIZE kAboutClient{273, 229};
constexpr POINT kAboutClientOnScreen{156, 129};
constexpr Box kMouseClose{64, 120, 65, 25};
constexpr Box kMouseFrame{0, 0, 193, 113};
constexpr Box kMouseDoubleClick{8, 64, 177, 17};
constexpr Box kMouseBothClick{8, 88, 177, 17};
constexpr Box kMouseLabel{8, 16, 177, 33};
constexpr int kMouseLineRow = 56; // the frame's line: x 8..183, in the window-text colour
constexpr int kMouseLineFirstX = 8;
constexpr int kMouseLineLastX = 183;
constexpr Box kAboutOk{8, 200, 84, 23};
constexpr Box kAboutSysInfo{184, 200, 83, 23};
constexpr Box kAboutTitle{8, 8, 99, 24};
constexpr Box kAboutMail{112, 144, 105, 17};
constexpr std::array kAboutSeparatorRows{136, 192};
constexpr int kSeparatorFirstX = 8;
constexpr int kSeparatorLastX = 264; // the white line's end; the gray one stops at 263
constexpr int kSeparatorMiddleX = 140;
constexpr POINT kAboutIcon{224, 8};
constexpr Box kMainHook{8, 8, 81, 73};
constexpr int kIconSize = 32;
constexpr int kSmallIconSize = 16;
constexpr COLORREF kIconColour = RGB(200, 30, 40);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGray = RGB(128, 128, 128);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr int kCycles = 200;
constexpr int kDialogFontHeight = -11; // 8.25 pt at 96 DPI
constexpr int kTitleFontHeight = -18;  // 13.5 pt at 96 DPI
constexpr int kAboutOkId = static_cast<int>(wexla::ControlId::AboutOK);
constexpr int kMouseCloseId = static_cast<int>(wexla::ControlId::MouseClose);

LRESULT CALLBACK formProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (wexla::handleFormMessage(window, message, wParam, lParam, result)) {
    return result;
  }
  return DefDlgProcA(window, message, wParam, lParam);
}

HICON makeSolidIcon(int size, COLORREF colour) {
  const std::vector<DWORD> pixels(static_cast<std::size_t>(size) * size,
                                  (GetRValue(colour) << 16) | (GetGValue(colour) << 8) |
                                      GetBValue(colour));
  const std::vector<BYTE> opaqueMask(static_cast<std::size_t>(size) * size / 8, 0);
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = CreateBitmap(size, size, 1, 32, pixels.data());
  info.hbmMask = CreateBitmap(size, size, 1, 1, opaqueMask.data());
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return icon;
}

struct Environment {
  HINSTANCE instance;
  HICON big;
  HICON small;
};

HWND build(const Environment& env, const wexla::FormLayout& layout, HWND owner) {
  return wexla::createForm(layout, env.instance, owner, env.big, env.small, formProc);
}

RECT childRect(HWND form, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void checkPlacement(HWND form, HWND child, const Box& expected, int line) {
  const RECT r = childRect(form, child);
  check(child != nullptr, "control exists", line);
  checkEqual(r.left, expected.x, "left", line);
  checkEqual(r.top, expected.y, "top", line);
  checkEqual(r.right - r.left, expected.width, "width", line);
  checkEqual(r.bottom - r.top, expected.height, "height", line);
}

std::string textOf(HWND window) {
  std::array<char, 256> text{};
  GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

std::vector<HWND> childrenInZOrder(HWND form) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(form, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    children.push_back(c);
  }
  return children;
}

HWND childWithText(HWND form, const char* text) {
  for (HWND c : childrenInZOrder(form)) {
    if (textOf(c) == text) {
      return c;
    }
  }
  return nullptr;
}

LONG_PTR styleOf(HWND window) {
  return GetWindowLongPtrA(window, GWL_STYLE);
}
LONG_PTR exStyleOf(HWND window) {
  return GetWindowLongPtrA(window, GWL_EXSTYLE);
}

LOGFONTA fontOf(HWND control) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

SIZE clientSize(HWND form) {
  RECT r;
  GetClientRect(form, &r);
  return {r.right, r.bottom};
}

// Shows the form and lets it and its controls paint, then reads the client area's pixels.
class ClientPixels {
public:
  explicit ClientPixels(HWND form) : form_(form) {
    ShowWindow(form, SW_SHOWNOACTIVATE);
    UpdateWindow(form);
    dc_ = GetDC(form);
  }
  ~ClientPixels() {
    ReleaseDC(form_, dc_);
    ShowWindow(form_, SW_HIDE);
  }
  COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

private:
  HWND form_;
  HDC dc_;
};

void checkStylesOfFixedWindow(HWND form) {
  CHECK((styleOf(form) & WS_CAPTION) == WS_CAPTION);
  CHECK((styleOf(form) & WS_SYSMENU) != 0);
  CHECK((styleOf(form) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0);
  CHECK((styleOf(form) & WS_VISIBLE) == 0); // the caller shows it
}

void testMouseForm(const Environment& env) {
  HWND form = build(env, wexla::kMouseFormLayout, nullptr);
  CHECK(form != nullptr);
  const SIZE client = clientSize(form);
  CHECK_EQ(client.cx, kMouseClient.cx);
  CHECK_EQ(client.cy, kMouseClient.cy);
  RECT outer;
  GetWindowRect(form, &outer);
  CHECK(std::abs((outer.left + outer.right) - GetSystemMetrics(SM_CXSCREEN)) <= 1);
  CHECK(std::abs((outer.top + outer.bottom) - GetSystemMetrics(SM_CYSCREEN)) <= 1);
  checkStylesOfFixedWindow(form);
  CHECK((exStyleOf(form) & WS_EX_APPWINDOW) != 0);
  CHECK((exStyleOf(form) & (WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW)) == 0);
  CHECK(GetWindow(form, GW_OWNER) == nullptr);
  CHECK(textOf(form) == "Mouse configuration");

  HWND close = GetDlgItem(form, kMouseCloseId);
  HWND frame = GetDlgItem(form, static_cast<int>(wexla::ControlId::MouseFrame));
  HWND twice = GetDlgItem(form, static_cast<int>(wexla::ControlId::MouseDoubleClick));
  HWND both = GetDlgItem(form, static_cast<int>(wexla::ControlId::MouseBothClick));
  HWND label = GetDlgItem(form, static_cast<int>(wexla::ControlId::MouseLabel));
  checkPlacement(form, close, kMouseClose, __LINE__);
  checkPlacement(form, frame, kMouseFrame, __LINE__);
  checkPlacement(form, twice, kMouseDoubleClick, __LINE__);
  checkPlacement(form, both, kMouseBothClick, __LINE__);
  checkPlacement(form, label, kMouseLabel, __LINE__);
  CHECK(textOf(close) == "Close");
  CHECK(textOf(twice) == "Double click");
  CHECK(textOf(both) == "Double and single click");
  CHECK(textOf(label) == "When should a new message window be opened?");
  CHECK(GetParent(twice) == form); // frames hold no windows; every control is the form's child

  // Creation (= Tab) order follows the Tab indexes, not the design order.
  const std::vector<HWND> expectedOrder{frame, close, twice, both, label};
  CHECK(childrenInZOrder(form) == expectedOrder);
  CHECK_EQ(styleOf(frame) & BS_TYPEMASK, BS_GROUPBOX);
  CHECK_EQ(styleOf(twice) & BS_TYPEMASK, BS_AUTORADIOBUTTON);
  CHECK((styleOf(twice) & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP));
  CHECK((styleOf(both) & WS_GROUP) == 0);
  CHECK((styleOf(label) & WS_GROUP) != 0);
  CHECK((styleOf(label) & (WS_TABSTOP | SS_TYPEMASK)) == SS_LEFT); // word-wrapping, no Tab stop
  CHECK((styleOf(label) & SS_NOPREFIX) != 0);
  CHECK(wexla::firstTabStop(form) == close);
  CHECK(GetNextDlgTabItem(form, close, FALSE) == twice);
  CHECK(GetNextDlgTabItem(form, twice, FALSE) == close);
  CHECK(GetNextDlgTabItem(form, close, TRUE) == twice);

  {
    ClientPixels pixels(form);
    SendMessageA(both, BM_CLICK, 0, 0);
    CHECK(SendMessageA(both, BM_GETCHECK, 0, 0) == BST_CHECKED);
    CHECK(SendMessageA(twice, BM_GETCHECK, 0, 0) == BST_UNCHECKED);
    CHECK(GetNextDlgTabItem(form, close, FALSE) == both); // Tab goes to the chosen option
    SendMessageA(twice, BM_CLICK, 0, 0);
    CHECK(SendMessageA(twice, BM_GETCHECK, 0, 0) == BST_CHECKED);
    CHECK(SendMessageA(both, BM_GETCHECK, 0, 0) == BST_UNCHECKED);
    // The line inside the frame: frame-relative, default colour, painted under the group box.
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    CHECK_EQ(pixels.at(kMouseLineFirstX, kMouseLineRow), text);
    CHECK_EQ(pixels.at(kMouseLineLastX, kMouseLineRow), text);
    CHECK_EQ(pixels.at(kMouseLineLastX + 1, kMouseLineRow), face);
    CHECK_EQ(pixels.at(kMouseLineFirstX, kMouseLineRow - 1), face);
    CHECK_EQ(pixels.at(kMouseLineFirstX, kMouseLineRow + 1), face);
  }
  const LOGFONTA font = fontOf(close);
  CHECK_EQ(font.lfHeight, kDialogFontHeight);
  CHECK(fontOf(twice).lfHeight == kDialogFontHeight && fontOf(label).lfWeight == FW_NORMAL);
  std::printf("dialog font face: %s\n", font.lfFaceName);
  DestroyWindow(form);
}

void testAboutForm(const Environment& env, HWND owner) {
  HWND form = build(env, wexla::kAboutFormLayout, owner);
  CHECK(form != nullptr);
  const SIZE client = clientSize(form);
  CHECK_EQ(client.cx, kAboutClient.cx);
  CHECK_EQ(client.cy, kAboutClient.cy);
  POINT origin{0, 0};
  ClientToScreen(form, &origin);
  CHECK_EQ(origin.x, kAboutClientOnScreen.x);
  CHECK_EQ(origin.y, kAboutClientOnScreen.y);
  checkStylesOfFixedWindow(form);
  CHECK((exStyleOf(form) & WS_EX_DLGMODALFRAME) != 0);
  CHECK((exStyleOf(form) & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW)) == 0);
  CHECK(GetWindow(form, GW_OWNER) == owner); // owned: no taskbar button

  const std::vector<std::string> expectedTexts{"OK",
                                               "&System Info...",
                                               "",
                                               "Wexla 98",
                                               "Contact info:",
                                               "E-Mail:",
                                               "Homepage:",
                                               "wexla@example.org",
                                               "www.example.org/wexla98",
                                               "Version: " WEXLA_VERSION_TEXT};
  std::vector<std::string> texts;
  for (HWND c : childrenInZOrder(form)) {
    texts.push_back(textOf(c));
  }
  CHECK(texts == expectedTexts);

  HWND ok = GetDlgItem(form, kAboutOkId);
  HWND sysInfo = GetDlgItem(form, static_cast<int>(wexla::ControlId::AboutSysInfo));
  checkPlacement(form, ok, kAboutOk, __LINE__);
  checkPlacement(form, sysInfo, kAboutSysInfo, __LINE__);
  CHECK_EQ(styleOf(ok) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  CHECK_EQ(styleOf(sysInfo) & BS_TYPEMASK, BS_PUSHBUTTON);
  CHECK_EQ(SendMessageA(form, DM_GETDEFID, 0, 0), MAKELRESULT(kAboutOkId, DC_HASDEFID));
  CHECK(wexla::firstTabStop(form) == ok);
  CHECK(GetNextDlgTabItem(form, sysInfo, FALSE) == ok);

  HWND title = childWithText(form, "Wexla 98");
  HWND mail = childWithText(form, "wexla@example.org");
  HWND contact = childWithText(form, "Contact info:");
  HWND plain = childWithText(form, "E-Mail:");
  checkPlacement(form, title, kAboutTitle, __LINE__);
  checkPlacement(form, mail, kAboutMail, __LINE__);
  CHECK((styleOf(plain) & (WS_TABSTOP | SS_TYPEMASK)) == SS_LEFTNOWORDWRAP);
  CHECK(fontOf(title).lfHeight == kTitleFontHeight && fontOf(title).lfWeight == FW_BOLD);
  CHECK(fontOf(mail).lfUnderline && fontOf(contact).lfUnderline && !fontOf(plain).lfUnderline);
  CHECK(fontOf(mail).lfHeight == kDialogFontHeight && fontOf(plain).lfHeight == kDialogFontHeight);
  CHECK(std::strcmp(fontOf(title).lfFaceName, fontOf(plain).lfFaceName) == 0);

  HDC probe = CreateCompatibleDC(nullptr);
  SendMessageA(form, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(probe),
               reinterpret_cast<LPARAM>(mail));
  CHECK_EQ(GetTextColor(probe), kBlue);
  SendMessageA(form, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(probe),
               reinterpret_cast<LPARAM>(plain));
  CHECK_EQ(GetTextColor(probe), GetSysColor(COLOR_WINDOWTEXT));
  DeleteDC(probe);

  {
    // Gray 1-pixel and white 2-pixel separators share rows 136 and 192; the white one is later
    // in the design, so it covers the gray one, and reaches one pixel further right.
    ClientPixels pixels(form);
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    for (int row : kAboutSeparatorRows) {
      CHECK_EQ(pixels.at(kSeparatorFirstX - 1, row), face);
      CHECK_EQ(pixels.at(kSeparatorFirstX, row), kWhite);
      CHECK_EQ(pixels.at(kSeparatorMiddleX, row), kWhite);
      CHECK_EQ(pixels.at(kSeparatorLastX, row), kWhite);
      CHECK_EQ(pixels.at(kSeparatorLastX + 1, row), face);
      CHECK_EQ(pixels.at(kSeparatorMiddleX, row + 1), kWhite);
      CHECK_EQ(pixels.at(kSeparatorMiddleX, row - 1), face);
      CHECK_EQ(pixels.at(kSeparatorMiddleX, row + 2), face);
    }
    // The icon at its natural size.
    CHECK_EQ(pixels.at(kAboutIcon.x, kAboutIcon.y), kIconColour);
    CHECK_EQ(pixels.at(kAboutIcon.x + kIconSize - 1, kAboutIcon.y + kIconSize - 1), kIconColour);
    CHECK_EQ(pixels.at(kAboutIcon.x + kIconSize, kAboutIcon.y + kIconSize / 2), face);
    CHECK_EQ(pixels.at(kAboutIcon.x + kIconSize / 2, kAboutIcon.y + kIconSize), face);
  }
  DestroyWindow(form);
}

void testMainForm(HWND main) {
  const std::vector<HWND> children = childrenInZOrder(main);
  CHECK_EQ(children.size(), 1u);
  std::array<char, 64> className{};
  GetClassNameA(children.at(0), className.data(), static_cast<int>(className.size()));
  CHECK(std::strcmp(className.data(), wexla::kPictureBoxClass) == 0);
  checkPlacement(main, children.at(0), kMainHook, __LINE__);
  CHECK(!IsWindowVisible(main));
}

// Design order decides which of two lines at the same place shows; frames offset their lines,
// and options in different frames are separate groups whatever the design order.
constexpr wexla::FontSpec kGrayLine{.color = kGray};
constexpr wexla::FontSpec kWhiteLine{.color = kWhite};
constexpr int kProbeFrame = 2; // index of the frame below
constexpr int kThinLine = 1;
constexpr int kDoubleLine = 2;
constexpr int kWideLine = 3;
constexpr wexla::ControlId kLeft1{21};
constexpr wexla::ControlId kLeft2{22};
constexpr wexla::ControlId kRight1{31};
constexpr wexla::ControlId kRight2{32};
constexpr wexla::ControlId kProbeFrameId{30};
using wexla::ControlKind;
constexpr std::array kProbeControls{
    wexla::ControlLayout{.kind = ControlKind::Line,
                         .name = "white",
                         .left = 150,
                         .top = 150,
                         .width = 300,
                         .font = kWhiteLine,
                         .lineWidthPixels = kDoubleLine},
    wexla::ControlLayout{.kind = ControlKind::Line,
                         .name = "gray",
                         .left = 150,
                         .top = 150,
                         .width = 300,
                         .font = kGrayLine,
                         .lineWidthPixels = kThinLine},
    wexla::ControlLayout{.kind = ControlKind::Frame,
                         .name = "frame",
                         .id = kProbeFrameId,
                         .left = 1500,
                         .top = 300,
                         .width = 1200,
                         .height = 1500,
                         .tabIndex = 3},
    wexla::ControlLayout{.kind = ControlKind::Line,
                         .name = "down",
                         .container = kProbeFrame,
                         .left = 150,
                         .top = 300,
                         .height = 600,
                         .font = kGrayLine,
                         .lineWidthPixels = kWideLine},
    wexla::ControlLayout{.kind = ControlKind::OptionButton,
                         .name = "r2",
                         .id = kRight2,
                         .container = kProbeFrame,
                         .left = 300,
                         .top = 900,
                         .width = 600,
                         .height = 240,
                         .caption = "r2",
                         .tabIndex = 5},
    wexla::ControlLayout{.kind = ControlKind::OptionButton,
                         .name = "l1",
                         .id = kLeft1,
                         .left = 150,
                         .top = 900,
                         .width = 600,
                         .height = 240,
                         .caption = "l1",
                         .tabIndex = 1},
    wexla::ControlLayout{.kind = ControlKind::OptionButton,
                         .name = "r1",
                         .id = kRight1,
                         .container = kProbeFrame,
                         .left = 300,
                         .top = 600,
                         .width = 600,
                         .height = 240,
                         .caption = "r1",
                         .tabIndex = 4},
    wexla::ControlLayout{.kind = ControlKind::OptionButton,
                         .name = "l2",
                         .id = kLeft2,
                         .left = 150,
                         .top = 1200,
                         .width = 600,
                         .height = 240,
                         .caption = "l2",
                         .tabIndex = 2},
};
constexpr wexla::FormLayout kProbeForm{.className = "Wexla98FormProbe",
                                       .caption = "probe",
                                       .clientWidth = 3000,
                                       .clientHeight = 2100,
                                       .placement = wexla::Placement::AtDesignPosition,
                                       .left = 1500,
                                       .top = 1500,
                                       .taskbarButton = true,
                                       .controls = kProbeControls};
// The same in pixels.
constexpr Box kProbeRight1{120, 60, 40, 16}; // frame at 100,20 plus 20,40
constexpr POINT kProbeLineStart{10, 10};     // both horizontal lines, 20 long
constexpr int kProbeLineEndX = 30;
constexpr POINT kProbeVerticalStart{110, 40}; // 3 wide, 40 long
constexpr POINT kProbeVerticalLast{112, 79};

int idOf(wexla::ControlId id) {
  return static_cast<int>(id);
}

void testPaintingOrderAndGroups(const Environment& env) {
  HWND form = build(env, kProbeForm, nullptr);
  CHECK(form != nullptr);
  HWND l1 = GetDlgItem(form, idOf(kLeft1));
  HWND l2 = GetDlgItem(form, idOf(kLeft2));
  HWND r1 = GetDlgItem(form, idOf(kRight1));
  HWND r2 = GetDlgItem(form, idOf(kRight2));
  checkPlacement(form, r1, kProbeRight1, __LINE__);
  CHECK(GetNextDlgTabItem(form, l1, FALSE) == r1);
  {
    ClientPixels pixels(form);
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    CHECK_EQ(pixels.at(kProbeLineStart.x, kProbeLineStart.y), kGray);
    CHECK_EQ(pixels.at(kProbeLineStart.x, kProbeLineStart.y + 1), kWhite);
    CHECK_EQ(pixels.at(kProbeLineEndX - 1, kProbeLineStart.y), kGray);
    CHECK_EQ(pixels.at(kProbeLineEndX, kProbeLineStart.y + 1), face);
    CHECK_EQ(pixels.at(kProbeVerticalStart.x, kProbeVerticalStart.y), kGray);
    CHECK_EQ(pixels.at(kProbeVerticalLast.x, kProbeVerticalLast.y), kGray);
    CHECK_EQ(pixels.at(kProbeVerticalLast.x + 1, kProbeVerticalLast.y), face);
    CHECK_EQ(pixels.at(kProbeVerticalLast.x, kProbeVerticalLast.y + 1), face);
    SendMessageA(l2, BM_CLICK, 0, 0);
    SendMessageA(r1, BM_CLICK, 0, 0);
    CHECK(SendMessageA(l2, BM_GETCHECK, 0, 0) == BST_CHECKED);
    CHECK(SendMessageA(r1, BM_GETCHECK, 0, 0) == BST_CHECKED);
    SendMessageA(r2, BM_CLICK, 0, 0);
    CHECK(SendMessageA(r1, BM_GETCHECK, 0, 0) == BST_UNCHECKED);
    CHECK(SendMessageA(l2, BM_GETCHECK, 0, 0) == BST_CHECKED);
  }
  DestroyWindow(form);
}

// At any resolution: each form's client area and each control scale from twips to the
// screen's pixels, the fonts from points, and every label's text, measured in the font its
// control really got, fits the label.
constexpr int kTwipsPerInch = 1440;
constexpr int kHundredthsPointsPerInch = 7200;
constexpr const char* kDesignFace = "MS Sans Serif";

int CALLBACK noteDesignFace(const LOGFONTA* font, const TEXTMETRICA* /*metrics*/, DWORD /*type*/,
                            LPARAM found) {
  *reinterpret_cast<bool*>(found) = lstrcmpiA(font->lfFaceName, kDesignFace) == 0;
  return *reinterpret_cast<bool*>(found) ? 0 : 1;
}

bool systemHasDesignFace() {
  LOGFONTA query{};
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(query.lfFaceName, kDesignFace, LF_FACESIZE);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(screen, &query, noteDesignFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

HWND controlOf(HWND form, const wexla::ControlLayout& control) {
  if (control.id != wexla::ControlId{}) {
    return GetDlgItem(form, static_cast<int>(control.id));
  }
  return control.caption[0] == '\0' ? nullptr : childWithText(form, control.caption);
}

// The text's size in the control's own font: one line, or wrapped at the control's width.
SIZE measuredText(HWND label, bool wordWrap, std::string& face) {
  HDC dc = GetDC(label);
  HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
  std::array<char, LF_FACESIZE> faceName{};
  GetTextFaceA(dc, static_cast<int>(faceName.size()), faceName.data());
  face = faceName.data();
  const std::string text = textOf(label);
  RECT area{};
  GetClientRect(label, &area);
  if (!wordWrap) {
    area.right = 0;
  }
  DrawTextA(dc, text.c_str(), -1, &area,
            DT_CALCRECT | DT_NOPREFIX | (wordWrap ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, previous);
  ReleaseDC(label, dc);
  return {area.right - area.left, area.bottom - area.top};
}

void testScaledToScreen(const Environment& env, int dpi) {
  const auto pixels = [dpi](int twips) { return MulDiv(twips, dpi, kTwipsPerInch); };
  // The design sizes are made for the design face; Wine's stand-in comes with fonts-wine.
  const bool designFace = systemHasDesignFace();
  check(designFace, "the system has MS Sans Serif", __LINE__);
  for (const wexla::FormLayout* layout : {&wexla::kMouseFormLayout, &wexla::kAboutFormLayout}) {
    HWND form = build(env, *layout, nullptr);
    CHECK(form != nullptr);
    CHECK_EQ(clientSize(form).cx, pixels(layout->clientWidth));
    CHECK_EQ(clientSize(form).cy, pixels(layout->clientHeight));
    for (const wexla::ControlLayout& control : layout->controls) {
      HWND window = controlOf(form, control);
      if (window == nullptr) {
        continue; // painted by the form, or a label without text
      }
      const RECT box = childRect(form, window);
      checkEqual(box.right - box.left, pixels(control.width), control.name, __LINE__);
      checkEqual(box.bottom - box.top, pixels(control.height), control.name, __LINE__);
      checkEqual(fontOf(window).lfHeight,
                 -MulDiv(control.font.pointSizeHundredths, dpi, kHundredthsPointsPerInch),
                 control.name, __LINE__);
      if (control.kind != wexla::ControlKind::Label) {
        continue;
      }
      std::string face;
      const SIZE text = measuredText(window, control.wordWrap, face);
      std::printf("%d DPI %s \"%s\" in %s: text %ld x %ld px, label %ld x %ld px\n", dpi,
                  control.name, control.caption, face.c_str(), text.cx, text.cy,
                  box.right - box.left, box.bottom - box.top);
      check(!designFace || face == kDesignFace, control.name, __LINE__); // used where present
      check(text.cx <= box.right - box.left && text.cy <= box.bottom - box.top, control.name,
            __LINE__);
    }
    DestroyWindow(form);
  }
}

struct GuiCounts {
  DWORD gdi;
  DWORD user;
};

GuiCounts guiCounts() {
  return {GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
          GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
}

// One create/destroy cycle of every form; returns whether the fonts the controls used are gone.
bool buildAndDestroyAll(const Environment& env) {
  HWND main = build(env, wexla::kMainFormLayout, nullptr);
  HWND mouse = build(env, wexla::kMouseFormLayout, nullptr);
  HWND about = build(env, wexla::kAboutFormLayout, main);
  std::vector<HGDIOBJ> fonts;
  for (HWND form : {mouse, about}) {
    for (HWND c : childrenInZOrder(form)) {
      fonts.push_back(reinterpret_cast<HGDIOBJ>(SendMessageA(c, WM_GETFONT, 0, 0)));
    }
  }
  const bool built = main != nullptr && mouse != nullptr && about != nullptr;
  DestroyWindow(about);
  DestroyWindow(mouse);
  DestroyWindow(main);
  bool released = built && !fonts.empty();
  for (HGDIOBJ font : fonts) {
    released = released && GetObjectType(font) == 0;
  }
  return released;
}

void testNoLeaks(const Environment& env) {
  CHECK(buildAndDestroyAll(env)); // also warms up the system's own caches
  const GuiCounts before = guiCounts();
  bool allReleased = true;
  for (int i = 0; i < kCycles; ++i) {
    allReleased = buildAndDestroyAll(env) && allReleased;
  }
  const GuiCounts after = guiCounts();
  // Wine's GetGuiResources counts nothing (always 0); there the check that every font the
  // controls used is gone after DestroyWindow is what catches a leak.
  CHECK(allReleased);
  CHECK(after.gdi <= before.gdi);
  CHECK(after.user <= before.user);
  std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu over %d cycles\n",
              static_cast<unsigned long>(before.gdi), static_cast<unsigned long>(after.gdi),
              static_cast<unsigned long>(before.user), static_cast<unsigned long>(after.user),
              kCycles);
}

} // namespace

int main() {
  // The program is DPI-aware through its manifest; this test has none. The call is missing
  // before Vista, where every process sees the real resolution.
  if (const auto setDpiAware =
          wexla::systemFunction<BOOL(WINAPI*)()>("user32.dll", "SetProcessDPIAware")) {
    setDpiAware();
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  Environment env{GetModuleHandleA(nullptr), makeSolidIcon(kIconSize, kIconColour),
                  makeSolidIcon(kSmallIconSize, kIconColour)};
  testScaledToScreen(env, dpi);
  // The pixel figures below are the ones of a standard screen.
  if (dpi != kExpectedDpi) {
    return wexla::wincheck::finish();
  }
  CHECK(wexla::twipsPerPixelX() == kTwipsPerPixel && wexla::twipsPerPixelY() == kTwipsPerPixel);
  // To nearest, not truncated: 7 twips are less than half a pixel, 8 more.
  CHECK_EQ(wexla::twipsToPixelsX(7), 0);
  CHECK_EQ(wexla::twipsToPixelsY(8), 1);
  CHECK_EQ(wexla::twipsToPixelsY(-8), -1);

  WNDCLASSEXA hook{};
  hook.cbSize = sizeof hook;
  hook.lpfnWndProc = DefWindowProcA;
  hook.hInstance = env.instance;
  hook.lpszClassName = wexla::kPictureBoxClass;
  RegisterClassExA(&hook);

  HWND main = build(env, wexla::kMainFormLayout, nullptr);
  CHECK(main != nullptr);
  testMainForm(main);
  testMouseForm(env);
  testAboutForm(env, main);
  testPaintingOrderAndGroups(env);
  DestroyWindow(main);
  testNoLeaks(env);

  DestroyIcon(env.big);
  DestroyIcon(env.small);
  return wexla::wincheck::finish();
}
