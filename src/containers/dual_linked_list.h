// DualLinkedList: a doubly linked list of nodes with payloads, lookup by position and removal of
// a given node. Its one use is the generic name pool, which holds millions of numbers and draws
// one at a random position per new identifier, so both operations go through a positional index
// (a Fenwick tree over append slots) and cost O(log n) instead of a walk from the head.
//
// Ownership:
// - A node passed to addDLLNode must come from `new`; the list owns it, and its payload, until
//   removeDLLNode hands both back. clearDualLinkedList releases them with delete/deletePayload.
// - Nodes and numbers made by addDLLNumberRange live in blocks owned by the list: they stay valid
//   after removal until the list is cleared, and may only ever be re-added to that same list.
// - Release a removed node with releaseDLLNode before the list is cleared: it frees nodes and
//   payloads of the first kind and leaves block ones to their block.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

#include "platform/large_memory.h"
#include "platform/platform.h"

namespace qvmin {

struct DualLinkedList;

struct DLLNode {
  void* payload = nullptr;
  DLLNode* next = nullptr;
  DualLinkedList* owner = nullptr;  // null while the node is in no list
  DLLNode* previous = nullptr;
};

using DLLPayloadDeleter = void (*)(void* payload);

// Nodes and 4-byte numbers appended together by one addDLLNumberRange call. The nodes are
// constructed once in raw storage instead of being zeroed first: the largest stock of the pool
// has millions of them.
struct DLLNodeBlock {
  LargeArray<DLLNode> nodes;
  LargeArray<std::uint32_t> numbers;
  std::uint32_t size = 0;
  std::uint32_t firstSlot = 0;  // slot of nodes[0] when the block was appended
};

// Consecutive slots held by consecutive nodes in memory; one per range, one per single node.
struct DLLSlotRun {
  std::uint32_t firstSlot = 0;
  DLLNode* firstNode = nullptr;
};

struct DualLinkedList {
  DLLNode* head = nullptr;
  DLLNode* tail = nullptr;
  std::uint32_t count = 0;
  DLLPayloadDeleter deletePayload = nullptr;
  const Platform* platform = &systemPlatform();  // where misuse messages go

  // Positional index. Every appended node takes the next slot (1-based); list order is slot
  // order, so the k-th present slot is the k-th node. Reset whenever the list becomes empty.
  std::vector<std::uint32_t> slotTree;  // Fenwick tree of present slots; [0] unused
  std::vector<DLLSlotRun> slotRuns;     // ascending firstSlot
  std::vector<DLLNodeBlock> blocks;     // ascending node address
  // Slots of nodes added by addDLLNode, whose slot cannot be worked out from an address.
  std::unordered_map<const DLLNode*, std::uint32_t> singleSlots;

  DualLinkedList() = default;
  DualLinkedList(const DualLinkedList&) = delete;  // nodes point back at their owner
  DualLinkedList& operator=(const DualLinkedList&) = delete;
  ~DualLinkedList();
};

// Sets where messages go and how the payloads of addDLLNode's nodes are released.
void initDualLinkedList(DualLinkedList& list, const Platform& platform, DLLPayloadDeleter deletePayload);

// Appends the node at the tail; a node already in a list is refused with a message.
void addDLLNode(DualLinkedList& list, DLLNode* node);

// Yields the node at the position (0 is the head). False, null and a message past the tail.
bool getDLLNodeByIndex(const DualLinkedList& list, std::uint32_t index, DLLNode*& node);

// Unlinks the node and hands it, with its payload, to the caller; its own links are left as
// they were. False and a message for null or for a node this list does not hold.
bool removeDLLNode(DualLinkedList& list, DLLNode* node);

// Releases every node and payload the list owns, removed block nodes included, and leaves the
// list empty and reusable with the same deleter.
void clearDualLinkedList(DualLinkedList& list);

// Appends first..last ascending, each node's payload a 4-byte number; nothing when first > last.
void addDLLNumberRange(DualLinkedList& list, std::uint32_t first, std::uint32_t last);

// The deleter for payloads made with `new std::uint32_t`; null is ignored.
void freeDLLPayload(void* payload);

// Releases a node removed from this list: payload through deletePayload and the node itself,
// unless both belong to one of the list's blocks. A node still in a list is left alone.
void releaseDLLNode(DualLinkedList& list, DLLNode* node);

}  // namespace qvmin
