#pragma once
// Where the program's DLLs may come from.

namespace wexla {

// DLLs are looked up in the system directory only, so a planted copy beside the program or in
// the current directory is never loaded. Both calls it makes are missing on the oldest
// systems, which have no safer search order to offer.
void restrictDllSearch();

} // namespace wexla
