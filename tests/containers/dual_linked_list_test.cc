#include "containers/dual_linked_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <list>
#include <random>
#include <vector>

#include "support/fake_platform.h"

namespace qvmin {
namespace {

using testing::fakePlatform;
using testing::fakeSystem;

std::uint32_t numberIn(const DLLNode* node) { return *static_cast<const std::uint32_t*>(node->payload); }

DLLNode* newNumberNode(std::uint32_t number) { return new DLLNode{new std::uint32_t(number)}; }

// Walks both directions and checks the links agree with count, head and tail.
std::vector<std::uint32_t> numbersOf(const DualLinkedList& list) {
  std::vector<std::uint32_t> numbers;
  const DLLNode* previous = nullptr;
  for (const DLLNode* node = list.head; node != nullptr; node = node->next) {
    EXPECT_EQ(node->previous, previous);
    EXPECT_EQ(node->owner, &list);
    numbers.push_back(numberIn(node));
    previous = node;
  }
  EXPECT_EQ(list.tail, previous);
  EXPECT_EQ(numbers.size(), list.count);
  return numbers;
}

class DualLinkedListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::resetFakeSystem();
    initDualLinkedList(list, fakePlatform(), freeDLLPayload);
  }
  DualLinkedList list;
};

TEST_F(DualLinkedListTest, LookupPastTheTailIsRefusedWithTheIndex) {
  DLLNode stale;
  DLLNode* node = &stale;
  EXPECT_FALSE(getDLLNodeByIndex(list, 0, node));
  EXPECT_EQ(node, nullptr);
  EXPECT_EQ(fakeSystem().printed, "DualLinkedList: getDLLNodeByIndex: This DualLinkedList doesn't have 0 nodes!\n");

  addDLLNumberRange(list, 10, 14);
  fakeSystem().printed.clear();
  EXPECT_FALSE(getDLLNodeByIndex(list, 5, node));
  EXPECT_EQ(fakeSystem().printed, "DualLinkedList: getDLLNodeByIndex: This DualLinkedList doesn't have 5 nodes!\n");
  ASSERT_TRUE(getDLLNodeByIndex(list, 4, node));
  EXPECT_EQ(node, list.tail);
  ASSERT_TRUE(getDLLNodeByIndex(list, 0, node));
  EXPECT_EQ(node, list.head);
}

TEST_F(DualLinkedListTest, RemovalMisuseIsRefusedAndChangesNothing) {
  addDLLNumberRange(list, 1, 3);
  DualLinkedList other;
  initDualLinkedList(other, fakePlatform(), freeDLLPayload);
  addDLLNumberRange(other, 7, 7);
  DLLNode* middle = nullptr;
  ASSERT_TRUE(getDLLNodeByIndex(list, 1, middle));
  ASSERT_TRUE(removeDLLNode(list, middle));
  fakeSystem().printed.clear();

  EXPECT_FALSE(removeDLLNode(list, nullptr));
  EXPECT_EQ(fakeSystem().printed, "DualLinkedList: removeDLLNode: oldDLLNodePtr==NULL!\n");
  const char* notOwned =
      "DualLinkedList: removeDLLNode: oldDLLNodePtr doesn't refer to a node owned by this DualLinkedList!\n";
  fakeSystem().printed.clear();
  EXPECT_FALSE(removeDLLNode(list, middle));
  EXPECT_EQ(fakeSystem().printed, notOwned);
  fakeSystem().printed.clear();
  EXPECT_FALSE(removeDLLNode(list, other.head));
  EXPECT_EQ(fakeSystem().printed, notOwned);

  EXPECT_EQ(numbersOf(list), (std::vector<std::uint32_t>{1, 3}));
  EXPECT_EQ(numbersOf(other), (std::vector<std::uint32_t>{7}));
}

TEST_F(DualLinkedListTest, AddingANodeHeldByAListIsRefused) {
  addDLLNumberRange(list, 1, 2);
  DLLNode* held = list.head;
  fakeSystem().printed.clear();
  addDLLNode(list, held);
  EXPECT_EQ(fakeSystem().printed,
            "DualLinkedList: addDLLNode: newDLLNodePtr refers to a node already owned by a DualLinkedList!\n");
  EXPECT_EQ(numbersOf(list), (std::vector<std::uint32_t>{1, 2}));
}

TEST_F(DualLinkedListTest, RemovalRelinksHeadTailAndNeighbours) {
  addDLLNumberRange(list, 0, 3);
  DLLNode* head = list.head;
  DLLNode* second = head->next;
  ASSERT_TRUE(removeDLLNode(list, head));
  EXPECT_EQ(list.head, second);
  EXPECT_EQ(head->owner, nullptr);
  EXPECT_EQ(head->next, second);  // the removed node keeps its own links

  DLLNode* tail = list.tail;
  ASSERT_TRUE(removeDLLNode(list, tail));
  EXPECT_EQ(list.tail, second->next);
  EXPECT_EQ(numbersOf(list), (std::vector<std::uint32_t>{1, 2}));

  ASSERT_TRUE(removeDLLNode(list, list.head));
  ASSERT_TRUE(removeDLLNode(list, list.head));
  EXPECT_EQ(list.head, nullptr);
  EXPECT_EQ(list.tail, nullptr);
  EXPECT_EQ(list.count, 0u);
  EXPECT_TRUE(fakeSystem().printed.empty());

  // The emptied list numbers its slots afresh; removed block nodes can come back.
  addDLLNode(list, second);
  addDLLNumberRange(list, 9, 9);
  DLLNode* node = nullptr;
  ASSERT_TRUE(getDLLNodeByIndex(list, 1, node));
  EXPECT_EQ(numberIn(node), 9u);
  EXPECT_EQ(numbersOf(list), (std::vector<std::uint32_t>{1, 9}));
}

TEST_F(DualLinkedListTest, NumberRangeBounds) {
  addDLLNumberRange(list, 6, 5);
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(list.head, nullptr);
  addDLLNumberRange(list, 5, 5);
  EXPECT_EQ(numbersOf(list), (std::vector<std::uint32_t>{5}));
  addDLLNumberRange(list, 4294967294u, 4294967295u);
  EXPECT_EQ(numbersOf(list), (std::vector<std::uint32_t>{5, 4294967294u, 4294967295u}));
}

// Payload deleter that records what it is given; a plain function pointer has no context.
std::vector<std::uint32_t> deletedNumbers;
void recordAndFreePayload(void* payload) {
  deletedNumbers.push_back(*static_cast<std::uint32_t*>(payload));
  freeDLLPayload(payload);
}

TEST_F(DualLinkedListTest, ClearReleasesOwnPayloadsHeadToTailAndLeavesAReusableList) {
  deletedNumbers.clear();
  list.deletePayload = recordAndFreePayload;
  addDLLNode(list, newNumberNode(1));
  addDLLNumberRange(list, 10, 12);
  addDLLNode(list, newNumberNode(2));
  DLLNode* eleven = list.head->next->next;
  ASSERT_TRUE(removeDLLNode(list, eleven));
  addDLLNode(list, eleven);  // back from its block: still not the deleter's business
  addDLLNode(list, newNumberNode(3));
  DLLNode* three = list.tail;
  ASSERT_TRUE(removeDLLNode(list, three));
  ASSERT_EQ(numbersOf(list), (std::vector<std::uint32_t>{1, 10, 12, 2, 11}));

  // A removed node from a block is left to the block; one made with new is freed.
  DLLNode* ten = list.head->next;
  ASSERT_TRUE(removeDLLNode(list, ten));
  releaseDLLNode(list, ten);
  releaseDLLNode(list, three);
  EXPECT_EQ(deletedNumbers, (std::vector<std::uint32_t>{3}));

  deletedNumbers.clear();
  clearDualLinkedList(list);
  EXPECT_EQ(deletedNumbers, (std::vector<std::uint32_t>{1, 2}));
  EXPECT_EQ(list.head, nullptr);
  EXPECT_EQ(list.tail, nullptr);
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(list.deletePayload, recordAndFreePayload);

  addDLLNumberRange(list, 20, 21);
  addDLLNode(list, newNumberNode(22));
  DLLNode* node = nullptr;
  ASSERT_TRUE(getDLLNodeByIndex(list, 2, node));
  EXPECT_EQ(numberIn(node), 22u);
  EXPECT_EQ(numbersOf(list), (std::vector<std::uint32_t>{20, 21, 22}));
  deletedNumbers.clear();
  clearDualLinkedList(list);
  EXPECT_EQ(deletedNumbers, (std::vector<std::uint32_t>{22}));
}

TEST_F(DualLinkedListTest, PositionsStayRightAcrossALargeRangeWithGaps) {
  const std::uint32_t size = 200003;  // not a power of two: the index has a ragged top
  addDLLNumberRange(list, 0, size - 1);
  DLLNode* node = nullptr;
  for (std::uint32_t k = 0; 2 * k < size; ++k) {
    ASSERT_TRUE(getDLLNodeByIndex(list, k, node));
    ASSERT_EQ(numberIn(node), 2 * k);
    ASSERT_TRUE(removeDLLNode(list, node));
  }
  ASSERT_EQ(list.count, size / 2);
  for (std::uint32_t j = 0; j < list.count; j += 997) {
    ASSERT_TRUE(getDLLNodeByIndex(list, j, node));
    EXPECT_EQ(numberIn(node), 2 * j + 1);
  }
  ASSERT_TRUE(getDLLNodeByIndex(list, list.count - 1, node));
  EXPECT_EQ(node, list.tail);
}

// Positional lookup and removal against a plain linked list, with ranges, single nodes,
// removed nodes coming back and clears mixed in.
TEST_F(DualLinkedListTest, MatchesANaiveListUnderRandomOperations) {
  std::mt19937 random(20240607);
  auto below = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  std::list<std::uint32_t> model;
  std::vector<DLLNode*> removed;
  std::uint32_t nextNumber = 0;

  for (int step = 0; step < 5000; ++step) {
    const std::size_t op = below(1000);
    if (op < 100) {
      const std::uint32_t extra = static_cast<std::uint32_t>(below(30));
      const std::uint32_t first = nextNumber;
      if (extra == 0) {
        addDLLNumberRange(list, first + 1, first);
      } else {
        addDLLNumberRange(list, first, first + extra - 1);
      }
      for (std::uint32_t n = first; n != first + extra; ++n) model.push_back(n);
      nextNumber += extra;
    } else if (op < 250) {
      addDLLNode(list, newNumberNode(nextNumber));
      model.push_back(nextNumber++);
    } else if (op < 450 && !removed.empty()) {
      const std::size_t pick = below(removed.size());
      model.push_back(numberIn(removed[pick]));
      addDLLNode(list, removed[pick]);
      removed.erase(removed.begin() + static_cast<std::ptrdiff_t>(pick));
    } else if (op < 750 && !model.empty()) {
      const std::size_t index = below(model.size());
      auto expected = std::next(model.begin(), static_cast<std::ptrdiff_t>(index));
      DLLNode* node = nullptr;
      ASSERT_TRUE(getDLLNodeByIndex(list, static_cast<std::uint32_t>(index), node));
      ASSERT_EQ(numberIn(node), *expected) << "step " << step;
      ASSERT_TRUE(removeDLLNode(list, node));
      model.erase(expected);
      removed.push_back(node);
    } else if (op < 995 && !model.empty()) {
      const std::size_t index = below(model.size());
      DLLNode* node = nullptr;
      ASSERT_TRUE(getDLLNodeByIndex(list, static_cast<std::uint32_t>(index), node));
      ASSERT_EQ(numberIn(node), *std::next(model.begin(), static_cast<std::ptrdiff_t>(index))) << "step " << step;
    } else if (op >= 995) {
      for (DLLNode* node : removed) releaseDLLNode(list, node);
      removed.clear();
      clearDualLinkedList(list);
      model.clear();
    }
    ASSERT_EQ(list.count, model.size());
    if (step % 100 == 0) {
      ASSERT_EQ(numbersOf(list), std::vector<std::uint32_t>(model.begin(), model.end()));
    }
  }
  EXPECT_EQ(numbersOf(list), std::vector<std::uint32_t>(model.begin(), model.end()));
  EXPECT_TRUE(fakeSystem().printed.empty());
  for (DLLNode* node : removed) releaseDLLNode(list, node);
}

}  // namespace
}  // namespace qvmin
