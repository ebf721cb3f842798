// Rules every window design keeps, whatever its figures: the designs were drawn on a standard
// screen's pixel grid and their Tab orders are complete. (The menu is checked against its text
// where it is built, in the Windows-level tests.)
#include "resources/form_layouts.h"

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
      EXPECT_TRUE(c.kind != ControlKind::StaticText ||
                  c.wordWrap == (2 * c.height >= 3 * lineHeight))
          << c.name;
      if (c.zOrder != kNoZOrder) {
        tabs.push_back(c.zOrder);
      }
      if (c.container != kNoContainer) {
        ASSERT_LT(static_cast<std::size_t>(c.container), form->controls.size()) << c.name;
        EXPECT_EQ(form->controls[c.container].kind, ControlKind::GroupBox) << c.name;
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

} // namespace
} // namespace wexla
