// The hash WinHelp uses to find a topic by its context name.
#pragma once

#include <cstdint>
#include <string_view>

namespace hlpgen {

// Characters other than letters, digits, '.' and '_' do not contribute, so two names that differ
// only in such characters (or in letter case) collide; the source reader rejects those names.
std::int32_t context_hash(std::string_view name);

bool is_valid_context_name(std::string_view name);

} // namespace hlpgen
