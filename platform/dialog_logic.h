#pragma once
#include "platform/window_ids.h"

#include <array>

namespace wexla {

// A secondary window's share of the program's logic: the event routing hands it the clicks
// on its buttons and option buttons.
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

} // namespace wexla
