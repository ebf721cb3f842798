#include "lz77_compressor.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace hlpgen {
namespace {

constexpr std::size_t kItemsPerFlagByte = 8;
constexpr unsigned kLengthShift = 12;
constexpr std::size_t kHashBits = 12;
constexpr std::size_t kHashSize = std::size_t{1} << kHashBits;
constexpr std::size_t kNoPosition = SIZE_MAX;
// Enough candidates for help text; a longer chain costs time for little gain.
constexpr std::size_t kMaxChainSteps = 512;

std::size_t hash_at(const Bytes& data, std::size_t at) {
  constexpr unsigned kFirstShift = 8;
  constexpr unsigned kSecondShift = 4;
  const std::size_t mixed = (std::size_t{data[at]} << kFirstShift) ^
                            (std::size_t{data[at + 1]} << kSecondShift) ^ data[at + 2];
  return mixed & (kHashSize - 1);
}

struct Match {
  std::size_t length = 0;
  std::size_t distance = 0;
};

class MatchFinder {
public:
  explicit MatchFinder(const Bytes& data) : data_(data), previous_(data.size(), kNoPosition) {
    head_.fill(kNoPosition);
  }

  // Records position at as a future match source; positions must be inserted in order.
  void insert(std::size_t at) {
    if (at + kLz77MinMatch > data_.size()) {
      return;
    }
    const std::size_t hash = hash_at(data_, at);
    previous_[at] = head_[hash];
    head_[hash] = at;
  }

  Match longest(std::size_t at) const {
    Match best;
    if (at + kLz77MinMatch > data_.size()) {
      return best;
    }
    const std::size_t limit = std::min(kLz77MaxMatch, data_.size() - at);
    std::size_t candidate = head_[hash_at(data_, at)];
    for (std::size_t steps = 0; candidate != kNoPosition && steps < kMaxChainSteps; ++steps) {
      const std::size_t distance = at - candidate;
      if (distance > kLz77Window) {
        break;
      }
      std::size_t length = 0;
      // Overlap (distance < length) is allowed: the decoder copies byte by byte.
      while (length < limit && data_[candidate + length] == data_[at + length]) {
        ++length;
      }
      if (length > best.length) {
        best = {length, distance};
        if (length == limit) {
          break;
        }
      }
      candidate = previous_[candidate];
    }
    return best;
  }

private:
  const Bytes& data_;
  std::array<std::size_t, kHashSize> head_{};
  std::vector<std::size_t> previous_;
};

} // namespace

Bytes lz77_compress(const Bytes& data) {
  Bytes out;
  MatchFinder finder(data);
  std::size_t at = 0;
  while (at < data.size()) {
    const std::size_t flag_at = out.size();
    out.push_back(0);
    for (std::size_t item = 0; item < kItemsPerFlagByte && at < data.size(); ++item) {
      const Match match = finder.longest(at);
      if (match.length >= kLz77MinMatch) {
        const auto code = static_cast<std::uint16_t>(
            ((match.length - kLz77MinMatch) << kLengthShift) | (match.distance - 1));
        out[flag_at] = static_cast<std::uint8_t>(out[flag_at] | (1u << item));
        out.push_back(static_cast<std::uint8_t>(code));
        out.push_back(static_cast<std::uint8_t>(code >> 8));
        for (std::size_t i = 0; i < match.length; ++i) {
          finder.insert(at + i);
        }
        at += match.length;
      } else {
        out.push_back(data[at]);
        finder.insert(at);
        ++at;
      }
    }
  }
  return out;
}

} // namespace hlpgen
