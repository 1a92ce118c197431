#include "tables/name_views.h"

#include "containers/text_map.h"

namespace qvmin {

void NameViews::reserve(std::size_t count) {
  // At most half full, so that a probe ends soon.
  std::size_t capacity = 16;
  while (capacity < 2 * count) capacity *= 2;
  if (capacity <= slots_.size()) return;
  std::vector<std::string_view> old = std::move(slots_);
  slots_.assign(capacity, std::string_view());
  size_ = 0;
  for (std::string_view name : old) {
    if (!name.empty()) insert(name);
  }
}

std::size_t NameViews::slotOf(std::string_view name) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = static_cast<std::size_t>(hashText(name)) & mask;
  while (!slots_[at].empty() && slots_[at] != name) at = (at + 1) & mask;
  return at;
}

bool NameViews::insert(std::string_view name) {
  if (2 * (size_ + 1) > slots_.size()) reserve(size_ + 1 > 8 ? 2 * (size_ + 1) : 8);
  const std::size_t at = slotOf(name);
  if (!slots_[at].empty()) return false;
  slots_[at] = name;
  ++size_;
  return true;
}

bool NameViews::contains(std::string_view name) const { return size_ != 0 && !slots_[slotOf(name)].empty(); }

}  // namespace qvmin
