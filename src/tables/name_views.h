// A set of names held as views into text that outlives the set (the compiled-in lists): one flat
// open-addressing table and no copy of any name, so that thousands of them cost a run's start
// next to nothing.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace qvmin {

class NameViews {
 public:
  // Room for `count` names in all without growing.
  void reserve(std::size_t count);
  // Adds the name (never empty; its bytes must outlive the set); false when it was there.
  bool insert(std::string_view name);
  bool contains(std::string_view name) const;
  std::size_t size() const { return size_; }

 private:
  std::size_t slotOf(std::string_view name) const;

  std::vector<std::string_view> slots_;  // a power of two long; an empty view is a free slot
  std::size_t size_ = 0;
};

}  // namespace qvmin
