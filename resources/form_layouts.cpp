#include "resources/form_layouts.h"

#include "wexla_version.h"

#include <array>

namespace wexla {
namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kBlue = 0xFF0000; // 0x00BBGGRR
constexpr int kTitleFontSize = 1350;
constexpr int kBold = 700;

constexpr FontSpec kLinkFont{.underline = true, .color = kBlue};
constexpr FontSpec kUnderlinedFont{.underline = true};
constexpr FontSpec kTitleFont{
    .pointSizeHundredths = kTitleFontSize, .weight = kBold, .color = kBlack};
constexpr FontSpec kBlackText{.color = kBlack};

constexpr int kClickModeFrame = 1; // index of clickModeFrame below
constexpr std::array kMouseControls{
    ControlLayout{.kind = ControlKind::PushButton,
                  .name = "closeButton",
                  .id = ControlId::CloseButton,
                  .left = 960,
                  .top = 1800,
                  .width = 975,
                  .height = 375,
                  .caption = "Close",
                  .tabIndex = 1},
    ControlLayout{.kind = ControlKind::Frame,
                  .name = "clickModeFrame",
                  .width = 2895,
                  .height = 1695,
                  .tabIndex = 0},
    ControlLayout{.kind = ControlKind::OptionButton,
                  .name = "singleClickOption",
                  .id = ControlId::SingleClickOption,
                  .container = kClickModeFrame,
                  .left = 120,
                  .top = 1320,
                  .width = 2655,
                  .height = 255,
                  .caption = "Double and single click",
                  .tabIndex = 3},
    ControlLayout{.kind = ControlKind::OptionButton,
                  .name = "doubleClickOption",
                  .id = ControlId::DoubleClickOption,
                  .container = kClickModeFrame,
                  .left = 120,
                  .top = 960,
                  .width = 2655,
                  .height = 255,
                  .caption = "Double click",
                  .tabIndex = 2},
    ControlLayout{.kind = ControlKind::Rule,
                  .name = "optionsRule",
                  .container = kClickModeFrame,
                  .left = 120,
                  .top = 840,
                  .width = 2640},
    ControlLayout{.kind = ControlKind::Label,
                  .name = "questionLabel",
                  .container = kClickModeFrame,
                  .left = 120,
                  .top = 240,
                  .width = 2655,
                  .height = 495,
                  .caption = "When should a new message window be opened?",
                  .tabIndex = 4,
                  .wordWrap = true},
};

constexpr std::array kAboutControls{
    ControlLayout{.kind = ControlKind::PushButton,
                  .name = "okButton",
                  .id = ControlId::OkButton,
                  .left = 120,
                  .top = 3000,
                  .width = 1260,
                  .height = 345,
                  .caption = "OK",
                  .tabIndex = 0,
                  .defaultButton = true,
                  .cancelButton = true},
    ControlLayout{.kind = ControlKind::PushButton,
                  .name = "systemInfoButton",
                  .id = ControlId::SystemInfoButton,
                  .left = 2760,
                  .top = 3000,
                  .width = 1245,
                  .height = 345,
                  .caption = "&System Info...",
                  .tabIndex = 1},
    ControlLayout{.kind = ControlKind::Label,
                  .name = "versionLabel",
                  .left = 120,
                  .top = 600,
                  .width = 1335,
                  .height = 255,
                  .caption = "Version: " WEXLA_VERSION_TEXT,
                  .tabIndex = 9},
    ControlLayout{.kind = ControlKind::Label,
                  .name = "homepageLabel",
                  .left = 1680,
                  .top = 2520,
                  .width = 2415,
                  .height = 255,
                  .caption = "www.example.org/wexla98",
                  .tabIndex = 8,
                  .font = kLinkFont},
    ControlLayout{.kind = ControlKind::Label,
                  .name = "emailLabel",
                  .left = 1680,
                  .top = 2160,
                  .width = 1575,
                  .height = 255,
                  .caption = "wexla@example.org",
                  .tabIndex = 7,
                  .font = kLinkFont},
    ControlLayout{.kind = ControlKind::Label,
                  .name = "emailHeading",
                  .left = 1080,
                  .top = 2160,
                  .width = 615,
                  .height = 255,
                  .caption = "E-Mail:",
                  .tabIndex = 5},
    ControlLayout{.kind = ControlKind::Label,
                  .name = "contactHeading",
                  .left = 120,
                  .top = 2160,
                  .width = 975,
                  .height = 255,
                  .caption = "Contact info:",
                  .tabIndex = 4,
                  .font = kUnderlinedFont},
    ControlLayout{.kind = ControlKind::Separator,
                  .name = "buttonsSeparator",
                  .left = 120,
                  .top = 2880,
                  .width = 3855},
    ControlLayout{.kind = ControlKind::Icon,
                  .name = "programIcon",
                  .left = 3360,
                  .top = 120,
                  .width = 480,
                  .height = 480},
    ControlLayout{.kind = ControlKind::Separator,
                  .name = "contactSeparator",
                  .left = 120,
                  .top = 2040,
                  .width = 3855},
    ControlLayout{.kind = ControlKind::Label,
                  .name = "titleLabel",
                  .left = 120,
                  .top = 120,
                  .width = 1485,
                  .height = 360,
                  .caption = "Wexla 98",
                  .tabIndex = 3,
                  .font = kTitleFont},
    ControlLayout{.kind = ControlKind::Label,
                  .name = "disclaimerLabel",
                  .left = 120,
                  .top = 960,
                  .width = 3870,
                  .height = 1065,
                  .tabIndex = 2,
                  .font = kBlackText,
                  .wordWrap = true},
    ControlLayout{.kind = ControlKind::Label,
                  .name = "homepageHeading",
                  .left = 720,
                  .top = 2520,
                  .width = 855,
                  .height = 255,
                  .caption = "Homepage:",
                  .tabIndex = 6},
};

constexpr FormLayout kMouseWindowLayout{.className = kMouseWindowClass,
                                        .caption = "Mouse configuration",
                                        .clientWidth = 2940,
                                        .clientHeight = 2265,
                                        .taskbarButton = true,
                                        .controls = kMouseControls};
constexpr FormLayout kAboutWindowLayout{.className = kAboutWindowClass,
                                        .caption = "About Wexla 98",
                                        .clientWidth = 4095,
                                        .clientHeight = 3435,
                                        .placement = Placement::AtDesignPosition,
                                        .left = 2340,
                                        .top = 1935,
                                        .border = BorderStyle::FixedDialog,
                                        .controls = kAboutControls};

// The never-shown main window receives the notification icon's messages itself and needs no
// controls.
constexpr FormLayout kMainWindowLayout{.className = kMainWindowClass,
                                       .caption = "Wexla 98",
                                       .clientWidth = 2100,
                                       .clientHeight = 1260,
                                       .controls = {}};

// In the order of WindowId.
constexpr std::array kDialogLayouts{&kMouseWindowLayout, &kAboutWindowLayout};
static_assert(kDialogLayouts.size() == kWindowCount, "one layout per secondary window");
static_assert(kMouseControls.size() <= kMaxControls && kAboutControls.size() <= kMaxControls,
              "the form builder holds every control of a form");

} // namespace

const FormLayout& mainWindowLayout() {
  return kMainWindowLayout;
}

const FormLayout& dialogLayout(WindowId window) {
  return *kDialogLayouts[windowIndex(window)];
}

} // namespace wexla
