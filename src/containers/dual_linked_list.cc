#include "containers/dual_linked_list.h"

#include <algorithm>
#include <bit>
#include <functional>

#include "platform/console.h"

namespace qvmin {
namespace {

std::uint32_t lowestBit(std::uint32_t i) { return i & (~i + 1); }

std::uint32_t slotCount(const DualLinkedList& list) {
  return list.slotTree.empty() ? 0 : static_cast<std::uint32_t>(list.slotTree.size() - 1);
}

// Appends `added` present slots. A new tree node's value is 1 plus its children's, which all
// precede it; the children number log2 of the node's lowest bit, so this is O(added + log n).
std::uint32_t appendSlots(DualLinkedList& list, std::uint32_t added) {
  std::vector<std::uint32_t>& tree = list.slotTree;
  if (tree.empty()) tree.push_back(0);
  const std::uint32_t first = static_cast<std::uint32_t>(tree.size());
  const std::size_t needed = tree.size() + added;
  if (tree.capacity() < needed) tree.reserve(std::max(needed, tree.capacity() * 2));
  for (std::uint32_t slot = first; slot != first + added; ++slot) {
    std::uint32_t sum = 1;
    for (std::uint32_t child = 1; child < lowestBit(slot); child <<= 1) sum += tree[slot - child];
    tree.push_back(sum);
  }
  return first;
}

void clearSlot(DualLinkedList& list, std::uint32_t slot) {
  const std::uint32_t size = slotCount(list);
  for (; slot <= size; slot += lowestBit(slot)) --list.slotTree[slot];
}

// The slot holding the (index+1)-th present node; index must be below count.
std::uint32_t presentSlot(const DualLinkedList& list, std::uint32_t index) {
  const std::uint32_t size = slotCount(list);
  std::uint32_t slot = 0;
  std::uint32_t wanted = index + 1;
  for (std::uint32_t step = std::bit_floor(size); step != 0; step >>= 1) {
    if (slot + step <= size && list.slotTree[slot + step] < wanted) {
      slot += step;
      wanted -= list.slotTree[slot];
    }
  }
  return slot + 1;
}

DLLNode* nodeInSlot(const DualLinkedList& list, std::uint32_t slot) {
  auto run = std::upper_bound(list.slotRuns.begin(), list.slotRuns.end(), slot,
                              [](std::uint32_t s, const DLLSlotRun& r) { return s < r.firstSlot; });
  --run;
  return run->firstNode + (slot - run->firstSlot);
}

const DLLNodeBlock* blockHolding(const DualLinkedList& list, const DLLNode* node) {
  const std::less<const DLLNode*> before;
  auto block = std::upper_bound(list.blocks.begin(), list.blocks.end(), node,
                                [&](const DLLNode* n, const DLLNodeBlock& b) { return before(n, b.nodes.get()); });
  if (block == list.blocks.begin()) return nullptr;
  --block;
  return before(node, block->nodes.get() + block->size) ? &*block : nullptr;
}

// Only for a node this list holds.
std::uint32_t slotOf(const DualLinkedList& list, const DLLNode* node) {
  if (auto single = list.singleSlots.find(node); single != list.singleSlots.end()) return single->second;
  const DLLNodeBlock* block = blockHolding(list, node);
  return block->firstSlot + static_cast<std::uint32_t>(node - block->nodes.get());
}

void linkAtTail(DualLinkedList& list, DLLNode* first, DLLNode* last, std::uint32_t added) {
  first->previous = list.tail;
  if (list.tail == nullptr) {
    list.head = first;
  } else {
    list.tail->next = first;
  }
  last->next = nullptr;
  list.tail = last;
  list.count += added;
}

}  // namespace

DualLinkedList::~DualLinkedList() { clearDualLinkedList(*this); }

void initDualLinkedList(DualLinkedList& list, const Platform& platform, DLLPayloadDeleter deletePayload) {
  list.platform = &platform;
  list.deletePayload = deletePayload;
}

void addDLLNode(DualLinkedList& list, DLLNode* node) {
  if (node->owner != nullptr) {
    say(*list.platform,
        "DualLinkedList: addDLLNode: newDLLNodePtr refers to a node already owned by a DualLinkedList!\n");
    return;
  }
  const std::uint32_t slot = appendSlots(list, 1);
  list.slotRuns.push_back(DLLSlotRun{slot, node});
  list.singleSlots.emplace(node, slot);
  node->owner = &list;
  linkAtTail(list, node, node, 1);
}

bool getDLLNodeByIndex(const DualLinkedList& list, std::uint32_t index, DLLNode*& node) {
  if (index >= list.count) {
    node = nullptr;
    say(*list.platform, "DualLinkedList: getDLLNodeByIndex: This DualLinkedList doesn't have %u nodes!\n", index);
    return false;
  }
  node = nodeInSlot(list, presentSlot(list, index));
  return true;
}

bool removeDLLNode(DualLinkedList& list, DLLNode* node) {
  if (node == nullptr) {
    say(*list.platform, "DualLinkedList: removeDLLNode: oldDLLNodePtr==NULL!\n");
    return false;
  }
  if (node->owner != &list) {
    say(*list.platform,
        "DualLinkedList: removeDLLNode: oldDLLNodePtr doesn't refer to a node owned by this DualLinkedList!\n");
    return false;
  }
  if (node->previous != nullptr) node->previous->next = node->next;
  if (node->next != nullptr) node->next->previous = node->previous;
  if (list.head == node) list.head = node->next;
  if (list.tail == node) list.tail = node->previous;
  node->owner = nullptr;
  --list.count;

  if (list.count == 0) {
    // Nothing is left to find, so slot numbering starts afresh.
    list.slotTree.clear();
    list.slotRuns.clear();
    list.singleSlots.clear();
  } else {
    clearSlot(list, slotOf(list, node));
    list.singleSlots.erase(node);
  }
  return true;
}

void clearDualLinkedList(DualLinkedList& list) {
  // Nodes outside blocks are exactly those with single slots (or block nodes re-added).
  if (!list.singleSlots.empty()) {
    for (DLLNode* node = list.head; node != nullptr;) {
      DLLNode* next = node->next;
      if (blockHolding(list, node) == nullptr) {
        if (list.deletePayload != nullptr) list.deletePayload(node->payload);
        delete node;
      }
      node = next;
    }
  }
  list.head = nullptr;
  list.tail = nullptr;
  list.count = 0;
  list.slotTree = decltype(list.slotTree)();
  list.slotRuns = decltype(list.slotRuns)();
  list.blocks = decltype(list.blocks)();
  list.singleSlots = decltype(list.singleSlots)();
}

void addDLLNumberRange(DualLinkedList& list, std::uint32_t first, std::uint32_t last) {
  if (first > last) return;
  const std::uint32_t size = last - first + 1;  // a full 32-bit range does not fit in memory anyway

  DLLNodeBlock block;
  block.size = size;
  block.nodes = allocateLargeArray<DLLNode>(size);
  block.numbers = allocateLargeArray<std::uint32_t>(size);
  block.firstSlot = appendSlots(list, size);
  DLLNode* nodes = block.nodes.get();
  std::uint32_t* numbers = block.numbers.get();
  for (std::uint32_t i = 0; i < size; ++i) {
    numbers[i] = first + i;
    DLLNode* next = i + 1 < size ? &nodes[i + 1] : nullptr;
    DLLNode* previous = i > 0 ? &nodes[i - 1] : nullptr;
    new (&nodes[i]) DLLNode{&numbers[i], next, &list, previous};
  }
  list.slotRuns.push_back(DLLSlotRun{block.firstSlot, nodes});
  linkAtTail(list, &nodes[0], &nodes[size - 1], size);

  const std::less<const DLLNode*> before;
  auto at = std::upper_bound(list.blocks.begin(), list.blocks.end(), nodes,
                             [&](const DLLNode* n, const DLLNodeBlock& b) { return before(n, b.nodes.get()); });
  list.blocks.insert(at, std::move(block));
}

void freeDLLPayload(void* payload) { delete static_cast<std::uint32_t*>(payload); }

void releaseDLLNode(DualLinkedList& list, DLLNode* node) {
  if (node == nullptr || node->owner != nullptr || blockHolding(list, node) != nullptr) return;
  if (list.deletePayload != nullptr) list.deletePayload(node->payload);
  delete node;
}

}  // namespace qvmin
