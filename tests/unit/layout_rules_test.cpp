// Rules every window and menu design keeps, whatever its figures: the designs were drawn on a
// standard screen's pixel grid, Tab orders are complete, and the menu's nesting is well formed.
#include "resources/form_layouts.h"
#include "resources/popup_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace wexla {
namespace {

constexpr int kTwipsPerPixel = 15;                    // at 96 DPI
constexpr int kHundredthsOfPointPerPixel = 7200 / 96; // 0.75 pt
constexpr int kWeightStep = 100;
constexpr int kOneLineLabelHeight = 255; // a label's height for one line of the dialog font

// Labels with room for more than a line and a half wrap their text; names are unique.
TEST(FormLayouts, LieOnThePixelGridWithGaplessTabOrdersFramedContainersAndWrappedLabels) {
  for (const FormLayout* form : {&mainWindowLayout(), &dialogLayout(WindowId::MouseConfiguration),
                                 &dialogLayout(WindowId::About)}) {
    std::vector<int> twips{form->clientWidth, form->clientHeight, form->left, form->top}, tabs;
    std::set<std::string> names;
    for (const ControlLayout& c : form->controls) {
      twips.insert(twips.end(), {c.left, c.top, c.width, c.height});
      EXPECT_TRUE(names.insert(c.name).second) << c.name;
      EXPECT_EQ(c.font.pointSizeHundredths % kHundredthsOfPointPerPixel, 0) << c.name;
      EXPECT_EQ(c.font.weight % kWeightStep, 0) << c.name;
      const int lineHeight = kOneLineLabelHeight * c.font.pointSizeHundredths / kDialogFontSize;
      EXPECT_TRUE(c.kind != ControlKind::Label || c.wordWrap == (2 * c.height >= 3 * lineHeight))
          << c.name;
      if (c.tabIndex != kNoTabStop) {
        tabs.push_back(c.tabIndex);
      }
      if (c.container != kNoContainer) {
        ASSERT_LT(static_cast<std::size_t>(c.container), form->controls.size()) << c.name;
        EXPECT_EQ(form->controls[c.container].kind, ControlKind::Frame) << c.name;
      }
    }
    EXPECT_TRUE(std::all_of(twips.begin(), twips.end(), [](int t) {
      return t % kTwipsPerPixel == 0;
    })) << form->caption;
    std::sort(tabs.begin(), tabs.end());
    for (std::size_t i = 0; i < tabs.size(); ++i) {
      EXPECT_EQ(tabs[i], static_cast<int>(i)) << form->caption;
    }
  }
}

// Level 2 items follow a level 1 item that opens them (a caption, no command) or one of
// their own; no (sub-)menu starts or ends with a separator; every command appears once.
TEST(MenuLayout, NestsWellAndOffersEveryCommandOnce) {
  const auto& items = kPopupMenu;
  std::set<MenuCommand> commands;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const MenuItem& item = items[i];
    const std::string name =
        item.caption == nullptr ? "separator " + std::to_string(i) : item.caption;
    ASSERT_TRUE(item.level == 1 || item.level == 2) << name;
    const bool separator = item.caption == nullptr;
    const bool opener = i + 1 < items.size() && items[i + 1].level > item.level;
    EXPECT_EQ(separator || opener, item.command == MenuCommand::None) << name;
    EXPECT_TRUE(commands.insert(item.command).second || item.command == MenuCommand::None);
    const bool firstOfItsMenu = i == 0 || items[i - 1].level < item.level;
    const bool lastOfItsMenu = i + 1 == items.size() || items[i + 1].level < item.level;
    EXPECT_FALSE(separator && (firstOfItsMenu || lastOfItsMenu)) << name;
    EXPECT_FALSE(item.level == 2 && firstOfItsMenu && (i == 0 || items[i - 1].caption == nullptr))
        << name;
  }
  EXPECT_EQ(commands.size(), static_cast<std::size_t>(MenuCommand::Quit) -
                                 static_cast<std::size_t>(MenuCommand::MouseConfiguration) + 2);
}

} // namespace
} // namespace wexla
