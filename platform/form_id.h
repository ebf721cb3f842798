#pragma once
// The program's secondary windows and the controls of theirs that the portable code drives.

namespace wexla {

enum class FormId { Mouse, About };

// Control identifiers, shared by the layout data and the event routing.
enum class ControlId : int {
  MouseClose = 1001,
  MouseFrame,
  MouseBothClick,
  MouseDoubleClick,
  MouseLabel,
  AboutOK = 2001,
  AboutSysInfo,
};

} // namespace wexla
