#include "containers/dual_linked_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <list>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/fake_platform.h"

namespace qvmin {
namespace {

using testing::fakePlatform;
using testing::fakeSystem;
using Numbers = std::vector<std::uint32_t>;

std::uint32_t numberIn(const DLLNode* node) { return *static_cast<const std::uint32_t*>(node->payload); }

DLLNode* newNumberNode(std::uint32_t number) { return new DLLNode{new std::uint32_t(number)}; }

// Walks the list checking every link against count, head and tail.
Numbers numbersOf(const DualLinkedList& list) {
  Numbers numbers;
  const DLLNode* previous = nullptr;
  for (const DLLNode* node = list.head; node != nullptr; previous = node, node = node->next) {
    EXPECT_EQ(node->previous, previous);
    EXPECT_EQ(node->owner, &list);
    numbers.push_back(numberIn(node));
  }
  EXPECT_EQ(list.tail, previous);
  EXPECT_EQ(numbers.size(), list.count);
  return numbers;
}

// The text printed by the call, which is then forgotten.
std::string printedBy(auto&& call) {
  fakeSystem().printed.clear();
  call();
  return std::exchange(fakeSystem().printed, {});
}

class DualLinkedListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::resetFakeSystem();
    initDualLinkedList(list, fakePlatform(), freeDLLPayload);
  }
  DualLinkedList list;
};

TEST_F(DualLinkedListTest, MisuseIsReportedAndChangesNothing) {
  DLLNode stale;
  DLLNode* node = &stale;
  EXPECT_EQ(printedBy([&] { EXPECT_FALSE(getDLLNodeByIndex(list, 0, node)); }),
            "DualLinkedList: getDLLNodeByIndex: This DualLinkedList doesn't have 0 nodes!\n");
  EXPECT_EQ(node, nullptr);

  addDLLNumberRange(list, 6, 5);
  addDLLNumberRange(list, 1, 3);
  EXPECT_EQ(printedBy([&] { EXPECT_FALSE(getDLLNodeByIndex(list, 3, node)); }),
            "DualLinkedList: getDLLNodeByIndex: This DualLinkedList doesn't have 3 nodes!\n");
  ASSERT_TRUE(getDLLNodeByIndex(list, 2, node));
  EXPECT_EQ(node, list.tail);

  DualLinkedList other;
  initDualLinkedList(other, fakePlatform(), freeDLLPayload);
  addDLLNumberRange(other, 7, 7);
  DLLNode* middle = list.head->next;
  ASSERT_TRUE(removeDLLNode(list, middle));
  const std::string notOwned =
      "DualLinkedList: removeDLLNode: oldDLLNodePtr doesn't refer to a node owned by this DualLinkedList!\n";
  EXPECT_EQ(printedBy([&] { EXPECT_FALSE(removeDLLNode(list, nullptr)); }),
            "DualLinkedList: removeDLLNode: oldDLLNodePtr==NULL!\n");
  EXPECT_EQ(printedBy([&] { EXPECT_FALSE(removeDLLNode(list, middle)); }), notOwned);
  EXPECT_EQ(printedBy([&] { EXPECT_FALSE(removeDLLNode(list, other.head)); }), notOwned);
  EXPECT_EQ(printedBy([&] { addDLLNode(list, other.head); }),
            "DualLinkedList: addDLLNode: newDLLNodePtr refers to a node already owned by a DualLinkedList!\n");
  EXPECT_EQ(numbersOf(list), (Numbers{1, 3}));
  EXPECT_EQ(numbersOf(other), (Numbers{7}));

  // Emptied by removals, the list numbers its positions afresh and takes its nodes back.
  ASSERT_TRUE(removeDLLNode(list, list.tail));
  ASSERT_TRUE(removeDLLNode(list, list.head));
  EXPECT_EQ(numbersOf(list), Numbers{});
  addDLLNumberRange(list, 0xFFFFFFFEu, 0xFFFFFFFFu);
  addDLLNode(list, middle);
  ASSERT_TRUE(getDLLNodeByIndex(list, 2, node));
  EXPECT_EQ(node, middle);
  EXPECT_EQ(numbersOf(list), (Numbers{0xFFFFFFFEu, 0xFFFFFFFFu, 2}));
}

// A plain function pointer has no context, so the recording deleter needs a global.
Numbers deletedNumbers;
void recordAndFreePayload(void* payload) {
  deletedNumbers.push_back(*static_cast<std::uint32_t*>(payload));
  freeDLLPayload(payload);
}

TEST_F(DualLinkedListTest, ReleaseAndClearFreeOnlyWhatIsNotInABlock) {
  deletedNumbers.clear();
  list.deletePayload = recordAndFreePayload;
  addDLLNode(list, newNumberNode(1));
  addDLLNumberRange(list, 10, 11);
  addDLLNode(list, newNumberNode(2));
  addDLLNode(list, newNumberNode(3));
  DLLNode* ten = list.head->next;
  DLLNode* eleven = ten->next;
  DLLNode* three = list.tail;
  ASSERT_TRUE(removeDLLNode(list, ten) && removeDLLNode(list, eleven) && removeDLLNode(list, three));
  addDLLNode(list, eleven);  // back in the list, and still its block's to free
  releaseDLLNode(list, three);
  releaseDLLNode(list, ten);
  EXPECT_EQ(deletedNumbers, (Numbers{3}));
  EXPECT_EQ(numbersOf(list), (Numbers{1, 2, 11}));

  deletedNumbers.clear();
  clearDualLinkedList(list);
  EXPECT_EQ(deletedNumbers, (Numbers{1, 2}));
  EXPECT_EQ(numbersOf(list), Numbers{});
  addDLLNumberRange(list, 20, 21);
  EXPECT_EQ(numbersOf(list), (Numbers{20, 21}));
}

// Ranges, single nodes, removed nodes coming back and clears, against a plain linked list.
TEST_F(DualLinkedListTest, PositionsMatchANaiveListUnderRandomOperations) {
  std::mt19937 random(20240607);
  auto below = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  std::list<std::uint32_t> model;
  std::vector<DLLNode*> removed;
  std::uint32_t next = 1;  // so that next - 1 never wraps
  for (int step = 0; step < 5000; ++step) {
    const std::size_t op = below(1000);
    if (op < 100) {
      const auto extra = static_cast<std::uint32_t>(below(300));
      addDLLNumberRange(list, next, next + extra - 1);  // extra 0 gives first > last
      for (std::uint32_t n = 0; n < extra; ++n) model.push_back(next++);
    } else if (op < 250) {
      addDLLNode(list, newNumberNode(next));
      model.push_back(next++);
    } else if (op < 450 && !removed.empty()) {
      const std::size_t pick = below(removed.size());
      model.push_back(numberIn(removed[pick]));
      addDLLNode(list, removed[pick]);
      removed.erase(removed.begin() + static_cast<std::ptrdiff_t>(pick));
    } else if (op < 995 && !model.empty()) {
      const std::size_t index = below(model.size());
      auto expected = std::next(model.begin(), static_cast<std::ptrdiff_t>(index));
      DLLNode* node = nullptr;
      ASSERT_TRUE(getDLLNodeByIndex(list, static_cast<std::uint32_t>(index), node));
      ASSERT_EQ(numberIn(node), *expected) << "step " << step;
      if (op < 750) {
        ASSERT_TRUE(removeDLLNode(list, node));
        model.erase(expected);
        removed.push_back(node);
      }
    } else if (op >= 995) {
      for (DLLNode* node : removed) releaseDLLNode(list, node);
      removed.clear();
      clearDualLinkedList(list);
      model.clear();
    }
    ASSERT_EQ(list.count, model.size());
    if (step % 250 == 0) {
      ASSERT_EQ(numbersOf(list), Numbers(model.begin(), model.end()));
    }
  }
  EXPECT_EQ(numbersOf(list), Numbers(model.begin(), model.end()));
  EXPECT_TRUE(fakeSystem().printed.empty());
  for (DLLNode* node : removed) releaseDLLNode(list, node);
}

// A model of a list holding ranges too long to exist as numbers: each keeps its first number,
// its size and the sorted offsets taken out of it. A single node is a range of one.
struct ModelRange {
  std::uint32_t first;
  std::uint64_t size;
  bool linked;  // on the links from head to tail
  Numbers taken;
};

struct ModelItem {
  ModelRange* range;
  std::uint32_t offset;
};

ModelItem modelItemAt(std::vector<ModelRange>& model, std::uint64_t index) {
  for (ModelRange& range : model) {
    const std::uint64_t present = range.size - range.taken.size();
    if (index >= present) {
      index -= present;
      continue;
    }
    auto offset = static_cast<std::uint32_t>(index);
    for (std::uint32_t taken : range.taken) offset += taken <= offset ? 1 : 0;
    return ModelItem{&range, offset};
  }
  return ModelItem{nullptr, 0};
}

// Ranges of the sizes of the name pool's stocks, taken from at random positions with a bias
// towards the front: the 5,000-number range is drained, so its taken offsets switch from a
// sorted list to a bit set, and the list runs empty twice before it gets the longest ranges.
TEST_F(DualLinkedListTest, LongRangesMatchAModelThatKeepsOnlyTheTakenNumbers) {
  EXPECT_EQ(printedBy([&] { addDLLNumberRange(list, 0, 0xFFFFFFFFu); }),
            "DualLinkedList: addDLLNumberRange: the range does not fit in this DualLinkedList!\n");
  EXPECT_EQ(list.count, 0u);

  std::vector<ModelRange> model;
  auto addRange = [&](std::uint32_t first, std::uint32_t size) {
    addDLLNumberRange(list, first, first + size - 1);
    model.push_back(ModelRange{first, size, size <= kDLLLinkedRangeLimit, {}});
  };
  const std::vector<std::vector<std::uint32_t>> stocks = {{52, 2652, 5000}, {4097}, {137'904, 372'892'416}};
  std::size_t stocked = 0;
  auto restock = [&] {
    model.clear();
    std::uint32_t first = 0;
    for (std::uint32_t size : stocks[stocked]) {
      addRange(first, size);
      first += size;
    }
    addDLLNode(list, newNumberNode(0xFFFFFFFFu));
    model.push_back(ModelRange{0xFFFFFFFFu, 1, true, {}});
    ++stocked;
  };

  std::mt19937 random(1234);
  auto below = [&](std::uint64_t n) { return std::uniform_int_distribution<std::uint64_t>(0, n - 1)(random); };
  std::vector<DLLNode*> removed;
  std::vector<std::pair<std::uint64_t, DLLNode*>> yieldedInList;  // by model range and offset
  auto checkLinks = [&] {
    Numbers linked;
    for (const ModelRange& range : model) {
      if (!range.linked) continue;
      for (std::uint32_t offset = 0, taken = 0; offset < range.size; ++offset) {
        if (taken < range.taken.size() && range.taken[taken] == offset) {
          ++taken;
        } else {
          linked.push_back(range.first + offset);
        }
      }
    }
    Numbers walked;
    const DLLNode* previous = nullptr;
    for (const DLLNode* node = list.head; node != nullptr; previous = node, node = node->next) {
      ASSERT_EQ(node->previous, previous);
      walked.push_back(numberIn(node));
    }
    ASSERT_EQ(list.tail, previous);
    ASSERT_EQ(walked, linked);
  };

  for (int step = 0; step < 20000; ++step) {
    if (list.count == 0) restock();
    const std::uint64_t op = below(100);
    if (op < 8 && !removed.empty()) {
      const std::size_t pick = below(removed.size());
      DLLNode* node = removed[pick];
      removed.erase(removed.begin() + static_cast<std::ptrdiff_t>(pick));
      if (op < 4) {
        model.push_back(ModelRange{numberIn(node), 1, true, {}});
        addDLLNode(list, node);
      } else {
        releaseDLLNode(list, node);
      }
    } else {
      const std::uint64_t index = below(op < 75 ? std::min<std::uint64_t>(list.count, 8000) : list.count);
      const ModelItem item = modelItemAt(model, index);
      DLLNode* node = nullptr;
      ASSERT_TRUE(getDLLNodeByIndex(list, static_cast<std::uint32_t>(index), node));
      const std::uint32_t number = item.range->first + item.offset;
      ASSERT_EQ(numberIn(node), number) << "step " << step << ", index " << index;
      ASSERT_EQ(node->owner, &list);
      // A node once yielded is the same node until it leaves the list.
      const std::uint64_t where = std::uint64_t(item.range - model.data()) << 32 | item.offset;
      auto yielded = std::find_if(yieldedInList.begin(), yieldedInList.end(), [&](auto& y) { return y.first == where; });
      if (yielded != yieldedInList.end()) {
        ASSERT_EQ(yielded->second, node);
      }
      if (op < 90) {
        ASSERT_TRUE(removeDLLNode(list, node));
        EXPECT_EQ(node->owner, nullptr);
        removed.push_back(node);
        Numbers& taken = item.range->taken;
        taken.insert(std::lower_bound(taken.begin(), taken.end(), item.offset), item.offset);
        if (yielded != yieldedInList.end()) yieldedInList.erase(yielded);
      } else if (yielded == yieldedInList.end()) {
        yieldedInList.emplace_back(where, node);
      }
    }
    if (step % 1000 == 0) checkLinks();
  }
  checkLinks();
  EXPECT_EQ(stocked, stocks.size());
  EXPECT_TRUE(fakeSystem().printed.empty());
  for (DLLNode* node : removed) releaseDLLNode(list, node);
}

}  // namespace
}  // namespace qvmin
