#include "win32/form_table.h"

#include "resources/form_layouts.h"
#include "win32/window_procedures.h"

#include <array>

namespace wexla {
namespace {

constexpr std::array kForms{
    FormClass{.form = FormId::Mouse, .layout = &kMouseFormLayout, .windowProcedure = mouseFormProc},
    FormClass{.form = FormId::About, .layout = &kAboutFormLayout, .windowProcedure = aboutFormProc},
};

constexpr bool everyFormAtItsIndex() {
  for (std::size_t i = 0; i < kForms.size(); ++i) {
    if (formIndex(kForms[i].form) != i) {
      return false;
    }
  }
  return kForms.size() == kFormCount;
}
static_assert(everyFormAtItsIndex(), "one entry per FormId, in the order of the enumeration");

} // namespace

const FormClass& formClass(FormId form) {
  return kForms.at(formIndex(form));
}

} // namespace wexla
