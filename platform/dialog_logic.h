#pragma once
#include "platform/window_ids.h"

#include <array>
#include <cstddef>

namespace wexla {

// A secondary window's share of the program's logic: the event routing hands it the clicks
// on its push buttons and radio buttons.
class DialogLogic {
public:
  DialogLogic() = default;
  DialogLogic(const DialogLogic&) = delete;
  DialogLogic& operator=(const DialogLogic&) = delete;
  virtual ~DialogLogic() = default;
  // Creates the window on first use, then makes it visible.
  virtual void open() = 0;
  virtual void onClick(ControlId control) = 0;
};

// Each secondary window's logic, by WindowId.
using DialogTable = std::array<DialogLogic*, kWindowCount>;

// The table of logicOf(window) for every window. Written as a switch over WindowId without a
// default, logicOf makes a window left out a compile error (-Wswitch).
template <typename LogicOf> DialogTable dialogTable(LogicOf logicOf) {
  DialogTable table{};
  for (std::size_t i = 0; i < kWindowCount; ++i) {
    table[i] = logicOf(static_cast<WindowId>(i));
  }
  return table;
}

} // namespace wexla
