#include "containers/dual_linked_list.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <limits>

#include "platform/console.h"

namespace qvmin {
namespace {

constexpr std::uint32_t kSpareChunkSize = 64;

std::uint32_t lowestBit(std::uint32_t i) { return i & (~i + 1); }

std::uint32_t slotCount(const DualLinkedList& list) {
  return list.slotTree.empty() ? 0 : static_cast<std::uint32_t>(list.slotTree.size() - 1);
}

// Appends a slot holding `present` items. A new tree node's value is its own count plus its
// children's, which all precede it; they number log2 of its lowest bit, so this is O(log n).
std::uint32_t appendSlot(DualLinkedList& list, std::uint32_t present, DLLSlot slot) {
  std::vector<std::uint32_t>& tree = list.slotTree;
  if (tree.empty()) {
    tree.push_back(0);
    list.slots.emplace_back();
  }
  const auto index = static_cast<std::uint32_t>(tree.size());
  std::uint32_t sum = present;
  for (std::uint32_t child = 1; child < lowestBit(index); child <<= 1) sum += tree[index - child];
  tree.push_back(sum);
  list.slots.push_back(slot);
  return index;
}

void clearSlot(DualLinkedList& list, std::uint32_t slot) {
  const std::uint32_t size = slotCount(list);
  for (; slot <= size; slot += lowestBit(slot)) --list.slotTree[slot];
}

struct SlotItem {
  std::uint32_t slot;
  std::uint32_t rank;  // among the items present in the slot
};

// Where the (index+1)-th present item is; index must be below count.
SlotItem presentItem(const DualLinkedList& list, std::uint32_t index) {
  const std::uint32_t size = slotCount(list);
  std::uint32_t slot = 0;
  std::uint32_t wanted = index + 1;
  for (std::uint32_t step = std::bit_floor(size); step != 0; step >>= 1) {
    if (slot + step <= size && list.slotTree[slot + step] < wanted) {
      slot += step;
      wanted -= list.slotTree[slot];
    }
  }
  return SlotItem{slot + 1, wanted - 1};
}

std::uint64_t madeKey(std::uint32_t bucket, std::uint32_t offset) { return std::uint64_t{bucket} << 16 | offset; }

DLLRangeNode& rangeNodeOf(DLLNode* node) { return *reinterpret_cast<DLLRangeNode*>(node); }

bool isRangeNode(const DualLinkedList& list, const DLLNode* node) {
  const std::less<const void*> before;
  auto chunk = std::upper_bound(list.chunks.begin(), list.chunks.end(), node,
                                [&](const DLLNode* n, const DLLNodeChunk& c) { return before(n, c.nodes.get()); });
  if (chunk == list.chunks.begin()) return false;
  --chunk;
  return before(node, chunk->nodes.get() + chunk->size);
}

DLLRangeNode* newChunk(const DualLinkedList& list, std::uint32_t size) {
  DLLNodeChunk chunk{std::make_unique<DLLRangeNode[]>(size), size};
  DLLRangeNode* nodes = chunk.nodes.get();
  const std::less<const void*> before;
  auto at = std::upper_bound(list.chunks.begin(), list.chunks.end(), nodes,
                             [&](const DLLRangeNode* n, const DLLNodeChunk& c) { return before(n, c.nodes.get()); });
  list.chunks.insert(at, std::move(chunk));
  return nodes;
}

DLLRangeNode& spareNode(const DualLinkedList& list) {
  if (list.spareNodes == nullptr) {
    DLLRangeNode* nodes = newChunk(list, kSpareChunkSize);
    for (std::uint32_t i = 0; i < kSpareChunkSize; ++i) nodes[i].node.next = i + 1 < kSpareChunkSize ? &nodes[i + 1].node : nullptr;
    list.spareNodes = &nodes[0].node;
  }
  DLLRangeNode& spare = rangeNodeOf(list.spareNodes);
  list.spareNodes = spare.node.next;
  return spare;
}

// The node for an implicit number, made on first request.
DLLNode* implicitNode(const DualLinkedList& list, std::uint32_t bucket, std::uint32_t offset) {
  auto [made, isNew] = list.madeNodes.try_emplace(madeKey(bucket, offset), nullptr);
  if (isNew) {
    DLLRangeNode& node = spareNode(list);
    node.number = list.buckets[bucket].first + offset;
    node.bucket = bucket;
    node.offset = offset;
    node.node = DLLNode{&node.number, nullptr, const_cast<DualLinkedList*>(&list), nullptr};
    made->second = &node;
  }
  return &made->second->node;
}

void linkAtTail(DualLinkedList& list, DLLNode* first, DLLNode* last) {
  first->previous = list.tail;
  if (list.tail == nullptr) {
    list.head = first;
  } else {
    list.tail->next = first;
  }
  last->next = nullptr;
  list.tail = last;
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
  list.singleSlots.emplace(node, appendSlot(list, 1, DLLSlot{node, 0}));
  node->owner = &list;
  linkAtTail(list, node, node);
  ++list.count;
}

bool getDLLNodeByIndex(const DualLinkedList& list, std::uint32_t index, DLLNode*& node) {
  if (index >= list.count) {
    node = nullptr;
    say(*list.platform, "DualLinkedList: getDLLNodeByIndex: This DualLinkedList doesn't have %u nodes!\n", index);
    return false;
  }
  const SlotItem item = presentItem(list, index);
  const DLLSlot& slot = list.slots[item.slot];
  if (slot.single != nullptr) {
    node = slot.single;
    return true;
  }
  const DLLBucket& bucket = list.buckets[slot.bucket];
  const std::uint32_t offset = freeOffsetAt(bucket.taken, item.rank);
  node = bucket.linkedNodes != nullptr ? &bucket.linkedNodes[offset].node : implicitNode(list, slot.bucket, offset);
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
    list.slots.clear();
    list.buckets.clear();
    list.singleSlots.clear();
    list.madeNodes.clear();
    return true;
  }
  if (auto single = list.singleSlots.find(node); single != list.singleSlots.end()) {
    clearSlot(list, single->second);
    list.singleSlots.erase(single);
    return true;
  }
  // Not added on its own, so a node of one of the ranges.
  const DLLRangeNode& rangeNode = rangeNodeOf(node);
  DLLBucket& bucket = list.buckets[rangeNode.bucket];
  clearSlot(list, bucket.slot);
  takeOffset(bucket.taken, rangeNode.offset, bucket.size);
  if (bucket.linkedNodes == nullptr) list.madeNodes.erase(madeKey(rangeNode.bucket, rangeNode.offset));
  return true;
}

void clearDualLinkedList(DualLinkedList& list) {
  // Nodes outside the list's chunks are exactly those with single slots (or range nodes re-added).
  if (!list.singleSlots.empty()) {
    for (DLLNode* node = list.head; node != nullptr;) {
      DLLNode* next = node->next;
      if (!isRangeNode(list, node)) {
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
  list.slots = decltype(list.slots)();
  list.buckets = decltype(list.buckets)();
  list.singleSlots = decltype(list.singleSlots)();
  list.madeNodes = decltype(list.madeNodes)();
  list.chunks = decltype(list.chunks)();
  list.spareNodes = nullptr;
}

void addDLLNumberRange(DualLinkedList& list, std::uint32_t first, std::uint32_t last) {
  if (first > last) return;
  const std::uint64_t size = std::uint64_t{last} - first + 1;
  if (size > std::numeric_limits<std::uint32_t>::max() - list.count) {
    say(*list.platform, "DualLinkedList: addDLLNumberRange: the range does not fit in this DualLinkedList!\n");
    return;
  }
  list.count += static_cast<std::uint32_t>(size);

  if (size <= kDLLLinkedRangeLimit) {
    const auto linked = static_cast<std::uint32_t>(size);
    DLLRangeNode* nodes = newChunk(list, linked);
    const auto bucket = static_cast<std::uint32_t>(list.buckets.size());
    for (std::uint32_t i = 0; i < linked; ++i) {
      DLLNode* next = i + 1 < linked ? &nodes[i + 1].node : nullptr;
      DLLNode* previous = i > 0 ? &nodes[i - 1].node : nullptr;
      nodes[i].number = first + i;
      nodes[i].bucket = bucket;
      nodes[i].offset = i;
      nodes[i].node = DLLNode{&nodes[i].number, next, &list, previous};
    }
    DLLBucket& added = list.buckets.emplace_back();
    added.first = first;
    added.size = linked;
    added.linkedNodes = nodes;
    added.slot = appendSlot(list, linked, DLLSlot{nullptr, bucket});
    linkAtTail(list, &nodes[0].node, &nodes[linked - 1].node);
    return;
  }
  for (std::uint64_t done = 0; done < size; done += kTakenOffsetsRun) {
    const auto bucket = static_cast<std::uint32_t>(list.buckets.size());
    DLLBucket& added = list.buckets.emplace_back();
    added.first = first + static_cast<std::uint32_t>(done);
    added.size = static_cast<std::uint32_t>(std::min<std::uint64_t>(size - done, kTakenOffsetsRun));
    added.slot = appendSlot(list, added.size, DLLSlot{nullptr, bucket});
  }
}

void freeDLLPayload(void* payload) { delete static_cast<std::uint32_t*>(payload); }

void releaseDLLNode(DualLinkedList& list, DLLNode* node) {
  if (node == nullptr || node->owner != nullptr) return;
  if (isRangeNode(list, node)) {
    node->next = list.spareNodes;
    list.spareNodes = node;
    return;
  }
  if (list.deletePayload != nullptr) list.deletePayload(node->payload);
  delete node;
}

}  // namespace qvmin
