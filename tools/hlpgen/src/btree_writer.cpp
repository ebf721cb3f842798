#include "btree_writer.h"

#include <stdexcept>

namespace hlpgen {
namespace {

constexpr std::uint16_t kBtreeMagic = 0x293B;
constexpr std::size_t kStructureFieldSize = 16;
constexpr std::uint16_t kNoPage = 0xFFFF;
constexpr std::uint16_t kRootPage = 0;
constexpr std::uint16_t kOnePage = 1;
constexpr std::uint16_t kOneLevel = 1;
constexpr std::size_t kLeafHeaderSize = 8;

} // namespace

Bytes build_single_leaf_btree(const BtreeLayout& layout, std::uint16_t entry_count,
                              const Bytes& encoded_entries) {
  if (encoded_entries.size() + kLeafHeaderSize > layout.page_size) {
    throw std::length_error("too many entries for a single B+ tree page");
  }
  ByteBuffer tree;
  tree.u16(kBtreeMagic);
  tree.u16(layout.flags);
  tree.u16(layout.page_size);
  tree.padded(layout.structure, kStructureFieldSize);
  tree.u16(0); // must be zero
  tree.u16(0); // page splits
  tree.u16(kRootPage);
  tree.u16(kNoPage);
  tree.u16(kOnePage);
  tree.u16(kOneLevel);
  tree.u32(entry_count);

  const std::size_t unused = layout.page_size - kLeafHeaderSize - encoded_entries.size();
  tree.u16(static_cast<std::uint16_t>(unused));
  tree.u16(entry_count);
  tree.u16(kNoPage); // previous leaf
  tree.u16(kNoPage); // next leaf
  tree.append(encoded_entries);
  tree.zeros(unused);
  return tree.take();
}

} // namespace hlpgen
