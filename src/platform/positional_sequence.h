#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace vemo {

// A sequence of small trivially copyable values (pointers) addressed by 0-based
// position, with insertion and removal anywhere. The values are kept in blocks of
// about the square root of the count, so an insertion moves the values of one block and
// shifts the start of the blocks after it, instead of moving every value behind it:
// inserting n values in any order costs O(n sqrt n) moves, not O(n^2). Reading at a
// position is a binary search over the block starts.
template <class P>
class PositionalSequence {
 public:
  std::size_t size() const { return size_; }

  P at(std::size_t position) const {
    const std::size_t block = BlockOf(position);
    return blocks_[block][position - starts_[block]];
  }

  // Puts `value` before the value at `position`; at size() it goes at the end.
  void insert(std::size_t position, P value) {
    if (blocks_.empty()) {
      blocks_.emplace_back();
      starts_.push_back(0);
    }
    const std::size_t block = position == size_ ? blocks_.size() - 1 : BlockOf(position);
    std::vector<P>& values = blocks_[block];
    values.insert(values.begin() + static_cast<std::ptrdiff_t>(position - starts_[block]), value);
    ++size_;
    for (std::size_t later = block + 1; later < starts_.size(); ++later) ++starts_[later];
    if (values.size() > 2 * BlockLimit()) Split(block);
  }

  void erase(std::size_t position) {
    const std::size_t block = BlockOf(position);
    std::vector<P>& values = blocks_[block];
    values.erase(values.begin() + static_cast<std::ptrdiff_t>(position - starts_[block]));
    --size_;
    for (std::size_t later = block + 1; later < starts_.size(); ++later) --starts_[later];
    // No block stays empty, so that iteration never meets one.
    if (values.empty()) {
      blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(block));
      starts_.erase(starts_.begin() + static_cast<std::ptrdiff_t>(block));
    }
  }

  void clear() {
    blocks_.clear();
    starts_.clear();
    size_ = 0;
  }

  class const_iterator {
   public:
    const_iterator(const std::vector<std::vector<P>>* blocks, std::size_t block) : blocks_(blocks), block_(block) {}
    P operator*() const { return (*blocks_)[block_][offset_]; }
    const_iterator& operator++() {
      if (++offset_ == (*blocks_)[block_].size()) {
        ++block_;
        offset_ = 0;
      }
      return *this;
    }
    bool operator==(const const_iterator& other) const { return block_ == other.block_ && offset_ == other.offset_; }

   private:
    const std::vector<std::vector<P>>* blocks_;
    std::size_t block_;
    std::size_t offset_ = 0;
  };
  const_iterator begin() const { return const_iterator(&blocks_, 0); }
  const_iterator end() const { return const_iterator(&blocks_, blocks_.size()); }

 private:
  // A block is split when it holds more than twice this many values.
  std::size_t BlockLimit() const {
    std::size_t root = 1;
    while (root * root < size_) root *= 2;
    return std::max<std::size_t>(kMinimumBlock, root);
  }

  std::size_t BlockOf(std::size_t position) const {
    if (starts_.size() == 1) return 0;
    return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), position) - starts_.begin()) - 1;
  }

  void Split(std::size_t block) {
    std::vector<P>& values = blocks_[block];
    const std::size_t half = values.size() / 2;
    std::vector<P> back(values.begin() + static_cast<std::ptrdiff_t>(half), values.end());
    values.resize(half);
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(block + 1), std::move(back));
    starts_.insert(starts_.begin() + static_cast<std::ptrdiff_t>(block + 1), starts_[block] + half);
  }

  static constexpr std::size_t kMinimumBlock = 128;
  std::vector<std::vector<P>> blocks_;
  std::vector<std::size_t> starts_;  // the position of each block's first value
  std::size_t size_ = 0;
};

}  // namespace vemo
