#pragma once
// The secondary forms: each one's design and the window procedure that routes its messages,
// in one table indexed by FormId.
#include "resources/form_layout.h"

#include <windows.h>

namespace wexla {

struct FormClass {
  FormId form;
  const FormLayout* layout;
  WNDPROC windowProcedure;
};

const FormClass& formClass(FormId form);

} // namespace wexla
