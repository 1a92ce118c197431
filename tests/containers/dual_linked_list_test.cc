#include "containers/dual_linked_list.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qvmin
