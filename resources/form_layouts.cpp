#include "resources/form_layouts.h"

#include "wexla_version.h"

#include <algorithm>
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

constexpr int kClickModeGroup = 1; // index of clickModeGroup below
constexpr std::array kMouseControls{
    ControlLayout{.kind = ControlKind::PushButton,
                  .name = "closeButton",
                  .id = ControlId::CloseButton,
                  .left = 960,
                  .top = 1800,
                  .width = 975,
                  .height = 375,
                  .caption = "Close",
                  .zOrder = 1},
    ControlLayout{.kind = ControlKind::GroupBox,
                  .name = "clickModeGroup",
                  .width = 2895,
                  .height = 1695,
                  .zOrder = 0},
    ControlLayout{.kind = ControlKind::RadioButton,
                  .name = "singleClickOption",
                  .id = ControlId::SingleClickOption,
                  .container = kClickModeGroup,
                  .left = 120,
                  .top = 1320,
                  .width = 2655,
                  .height = 255,
                  .caption = "Double and single click",
                  .zOrder = 3},
    ControlLayout{.kind = ControlKind::RadioButton,
                  .name = "doubleClickOption",
                  .id = ControlId::DoubleClickOption,
                  .container = kClickModeGroup,
                  .left = 120,
                  .top = 960,
                  .width = 2655,
                  .height = 255,
                  .caption = "Double click",
                  .zOrder = 2},
    ControlLayout{.kind = ControlKind::Rule,
                  .name = "optionsRule",
                  .container = kClickModeGroup,
                  .left = 120,
                  .top = 840,
                  .width = 2640},
    ControlLayout{.kind = ControlKind::StaticText,
                  .name = "questionLabel",
                  .container = kClickModeGroup,
                  .left = 120,
                  .top = 240,
                  .width = 2655,
                  .height = 495,
                  .caption = "When should a new message window be opened?",
                  .zOrder = 4,
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
                  .zOrder = 0,
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
                  .zOrder = 1},
    ControlLayout{.kind = ControlKind::StaticText,
                  .name = "versionLabel",
                  .left = 120,
                  .top = 600,
                  .width = 1335,
                  .height = 255,
                  .caption = "Version: " WEXLA_VERSION_TEXT,
                  .zOrder = 9},
    ControlLayout{.kind = ControlKind::StaticText,
                  .name = "homepageLabel",
                  .left = 1680,
                  .top = 2520,
                  .width = 2415,
                  .height = 255,
                  .caption = "www.example.org/wexla98",
                  .zOrder = 8,
                  .font = kLinkFont},
    ControlLayout{.kind = ControlKind::StaticText,
                  .name = "emailLabel",
                  .left = 1680,
                  .top = 2160,
                  .width = 1575,
                  .height = 255,
                  .caption = "wexla@example.org",
                  .zOrder = 7,
                  .font = kLinkFont},
    ControlLayout{.kind = ControlKind::StaticText,
                  .name = "emailHeading",
                  .left = 1080,
                  .top = 2160,
                  .width = 615,
                  .height = 255,
                  .caption = "E-Mail:",
                  .zOrder = 5},
    ControlLayout{.kind = ControlKind::StaticText,
                  .name = "contactHeading",
                  .left = 120,
                  .top = 2160,
                  .width = 975,
                  .height = 255,
                  .caption = "Contact info:",
                  .zOrder = 4,
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
    ControlLayout{.kind = ControlKind::StaticText,
                  .name = "titleLabel",
                  .left = 120,
                  .top = 120,
                  .width = 1485,
                  .height = 360,
                  .caption = "Wexla 98",
                  .zOrder = 3,
                  .font = kTitleFont},
    ControlLayout{.kind = ControlKind::StaticText,
                  .name = "disclaimerLabel",
                  .left = 120,
                  .top = 960,
                  .width = 3870,
                  .height = 1065,
                  .zOrder = 2,
                  .font = kBlackText,
                  .wordWrap = true},
    ControlLayout{.kind = ControlKind::StaticText,
                  .name = "homepageHeading",
                  .left = 720,
                  .top = 2520,
                  .width = 855,
                  .height = 255,
                  .caption = "Homepage:",
                  .zOrder = 6},
};

constexpr FormLayout kMouseWindowLayout{.className = "Wexla98Mouse",
                                        .caption = "Mouse configuration",
                                        .clientWidth = 2940,
                                        .clientHeight = 2265,
                                        .taskbarButton = true,
                                        .controls = kMouseControls};
constexpr FormLayout kAboutWindowLayout{.className = "Wexla98About",
                                        .caption = "About Wexla 98",
                                        .clientWidth = 4095,
                                        .clientHeight = 3435,
                                        .placement = Placement::AtPosition,
                                        .left = 2340,
                                        .top = 1935,
                                        .border = Border::DialogModalFrame,
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
static_assert(std::ranges::all_of(kDialogLayouts,
                                  [](const FormLayout* form) {
                                    return form->controls.size() <= kMaxControls;
                                  }),
              "the form builder holds every control of a form");

} // namespace

const FormLayout& mainWindowLayout() {
  return kMainWindowLayout;
}

const FormLayout& dialogLayout(WindowId window) {
  return *kDialogLayouts[windowIndex(window)];
}

} // namespace wexla
