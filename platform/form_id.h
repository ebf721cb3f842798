#pragma once
// The program's secondary windows and the controls of theirs that the portable code drives.
#include <cstddef>

namespace wexla {

// Count is no form: it sizes the tables indexed by form, so a form added above it makes every
// table that lacks its entry fail to compile.
enum class FormId { Mouse, About, Count };
inline constexpr std::size_t kFormCount = static_cast<std::size_t>(FormId::Count);

constexpr std::size_t formIndex(FormId form) {
  return static_cast<std::size_t>(form);
}

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
