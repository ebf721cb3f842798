#include "resources/form_layouts.h"

#include <array>

namespace wexla {
namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kBlue = 0xFF0000; // 0x00BBGGRR
constexpr std::uint32_t kGray = 0x808080;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr int kDialogFontSize = 825; // hundredths of a point
constexpr int kTitleFontSize = 1350;
constexpr int kBold = 700;
constexpr int kSeparatorShadowWidth = 1;
constexpr int kSeparatorHighlightWidth = 2;

constexpr FontSpec kLinkFont{kDialogFontSize, 0, true, kBlue};
constexpr FontSpec kUnderlinedFont{kDialogFontSize, 0, true, kDefaultColor};
constexpr FontSpec kTitleFont{kTitleFontSize, kBold, false, kBlack};
constexpr FontSpec kBlackText{kDefaultFontSize, 0, false, kBlack};
constexpr FontSpec kShadowLine{kDefaultFontSize, 0, false, kGray};
constexpr FontSpec kHighlightLine{kDefaultFontSize, 0, false, kWhite};

// The never-shown main window only needs its tray callback window.
constexpr std::array kMainControls{
    ControlLayout{ControlKind::PictureBox, "picHook", ControlId{}, kNoContainer, 120, 120, 1215,
                  1095, "", kNoTabStop},
};

constexpr int kMouseFrame = 1; // index of Frame1 below
constexpr std::array kMouseControls{
    ControlLayout{ControlKind::PushButton, "Command1", ControlId::MouseClose, kNoContainer, 960,
                  1800, 975, 375, "Close", 1},
    ControlLayout{ControlKind::Frame, "Frame1", ControlId::MouseFrame, kNoContainer, 0, 0, 2895,
                  1695, "", 0},
    ControlLayout{ControlKind::OptionButton, "BothClick", ControlId::MouseBothClick, kMouseFrame,
                  120, 1320, 2655, 255, "Double and single click", 3},
    ControlLayout{ControlKind::OptionButton, "DoubleClick", ControlId::MouseDoubleClick,
                  kMouseFrame, 120, 960, 2655, 255, "Double click", 2},
    ControlLayout{ControlKind::Line, "Line1", ControlId{}, kMouseFrame, 120, 840, 2640, 0, "",
                  kNoTabStop},
    ControlLayout{ControlKind::Label, "Label1", ControlId::MouseLabel, kMouseFrame, 120, 240, 2655,
                  495, "When should a new message window be opened?", 4, FontSpec{}, 1, false,
                  false, true},
};

constexpr std::array kAboutControls{
    ControlLayout{ControlKind::PushButton, "cmdOK", ControlId::AboutOK, kNoContainer, 120, 3000,
                  1260, 345, "OK", 0, FontSpec{}, 1, true, true},
    ControlLayout{ControlKind::PushButton, "cmdSysInfo", ControlId::AboutSysInfo, kNoContainer,
                  2760, 3000, 1245, 345, "&System Info...", 1},
    ControlLayout{ControlKind::Label, "Label6", ControlId{}, kNoContainer, 120, 600, 1335, 255,
                  "Version: 1.3.2", 9},
    ControlLayout{ControlKind::Label, "Label5", ControlId{}, kNoContainer, 1680, 2520, 2415, 255,
                  "www.example.org/wexla98", 8, kLinkFont},
    ControlLayout{ControlKind::Label, "Label4", ControlId{}, kNoContainer, 1680, 2160, 1575, 255,
                  "wexla@example.org", 7, kLinkFont},
    ControlLayout{ControlKind::Label, "Label2", ControlId{}, kNoContainer, 1080, 2160, 615, 255,
                  "E-Mail:", 5},
    ControlLayout{ControlKind::Label, "Label1", ControlId{}, kNoContainer, 120, 2160, 975, 255,
                  "Contact info:", 4, kUnderlinedFont},
    ControlLayout{ControlKind::Line, "Line1(2)", ControlId{}, kNoContainer, 120, 2880, 3840, 0, "",
                  kNoTabStop, kShadowLine, kSeparatorShadowWidth},
    ControlLayout{ControlKind::Image, "Image1", ControlId{}, kNoContainer, 3360, 120, 480, 480, "",
                  kNoTabStop},
    ControlLayout{ControlKind::Line, "Line1(1)", ControlId{}, kNoContainer, 120, 2040, 3840, 0, "",
                  kNoTabStop, kShadowLine, kSeparatorShadowWidth},
    ControlLayout{ControlKind::Label, "lblTitle", ControlId{}, kNoContainer, 120, 120, 1485, 360,
                  "Wexla 98", 3, kTitleFont},
    ControlLayout{ControlKind::Line, "Line1(0)", ControlId{}, kNoContainer, 120, 2040, 3855, 0, "",
                  kNoTabStop, kHighlightLine, kSeparatorHighlightWidth},
    ControlLayout{ControlKind::Label, "lblDisclaimer", ControlId{}, kNoContainer, 120, 960, 3870,
                  1065, "", 2, kBlackText, 1, false, false, true},
    ControlLayout{ControlKind::Line, "Line1(3)", ControlId{}, kNoContainer, 120, 2880, 3855, 0, "",
                  kNoTabStop, kHighlightLine, kSeparatorHighlightWidth},
    ControlLayout{ControlKind::Label, "Label3", ControlId{}, kNoContainer, 720, 2520, 855, 255,
                  "Homepage:", 6},
};

constexpr FormLayout kMainForm{
    kMainWindowClass,         "Wexla 98", 2100,         1260, Placement::CenterScreen, 0, 0,
    BorderStyle::FixedSingle, false,      kMainControls};
constexpr FormLayout kMouseForm{kMouseWindowClass,
                                "Mouse configuration",
                                2940,
                                2265,
                                Placement::CenterScreen,
                                0,
                                0,
                                BorderStyle::FixedSingle,
                                true,
                                kMouseControls};
constexpr FormLayout kAboutForm{kAboutWindowClass,
                                "About Wexla 98",
                                4095,
                                3435,
                                Placement::AtDesignPosition,
                                2340,
                                1935,
                                BorderStyle::FixedDialog,
                                false,
                                kAboutControls};

} // namespace

const FormLayout& mainFormLayout() {
  return kMainForm;
}
const FormLayout& mouseFormLayout() {
  return kMouseForm;
}
const FormLayout& aboutFormLayout() {
  return kAboutForm;
}
const FormLayout& formLayout(FormId form) {
  return form == FormId::Mouse ? kMouseForm : kAboutForm;
}

} // namespace wexla
