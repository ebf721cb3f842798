// The single-page B+ trees of a help file: the internal directory and |CONTEXT.
#pragma once

#include <cstdint>
#include <string_view>

#include "byte_buffer.h"

namespace hlpgen {

struct BtreeLayout {
  std::uint16_t flags;
  std::uint16_t page_size;
  std::string_view structure;
};

inline constexpr BtreeLayout kDirectoryLayout{0x0402, 0x0400, "z4"};
inline constexpr BtreeLayout kContextLayout{0x0002, 0x0800, "L4"};

// Builds a tree of one leaf page from entries already encoded and already in key order. Throws
// std::length_error when they do not fit one page: a small help file never needs more.
Bytes build_single_leaf_btree(const BtreeLayout& layout, std::uint16_t entry_count,
                              const Bytes& encoded_entries);

} // namespace hlpgen
