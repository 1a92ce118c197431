// DualLinkedList: a doubly linked list of nodes with payloads, lookup by position and removal of
// a given node. Its one use is the generic name pool, which holds hundreds of millions of numbers
// and draws one at a random position per new identifier, so both operations go through a
// positional index (a Fenwick tree over slots: one per added node, one per 65,536 numbers of a
// range) and cost O(log n) instead of a walk from the head.
//
// Number ranges:
// - A range of at most kDLLLinkedRangeLimit numbers is made into linked nodes at once.
// - A longer one keeps its numbers implicit: they count and take positions like nodes, but a node
//   is made only when getDLLNodeByIndex yields the number, and while it stays in the list it is
//   on no links (next and previous null). A walk from head to tail passes over such numbers. The
//   memory grows with the numbers taken out, not with the size of the range.
//
// Ownership:
// - A node passed to addDLLNode must come from `new`; the list owns it, and its payload, until
//   removeDLLNode hands both back. clearDualLinkedList releases them with delete/deletePayload.
// - Nodes made for range numbers, each with its number, belong to the list: they stay valid after
//   removal until released or until the list is cleared, and may only ever be re-added to that
//   same list.
// - Release a removed node with releaseDLLNode before the list is cleared: it frees nodes and
//   payloads of the first kind and keeps range nodes for reuse.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "containers/taken_offsets.h"
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

inline constexpr std::uint32_t kDLLLinkedRangeLimit = 4096;

// A node made for a range number: the payload points at `number`.
struct DLLRangeNode {
  DLLNode node;  // first, so that a DLLNode* of a range node converts back
  std::uint32_t number = 0;
  std::uint32_t bucket = 0;  // where the number is counted while it is in the list
  std::uint32_t offset = 0;
};

struct DLLNodeChunk {
  std::unique_ptr<DLLRangeNode[]> nodes;
  std::uint32_t size = 0;
};

// Up to kTakenOffsetsRun consecutive numbers of one range.
struct DLLBucket {
  std::uint32_t first = 0;  // the number at offset 0
  std::uint32_t size = 0;
  std::uint32_t slot = 0;
  DLLRangeNode* linkedNodes = nullptr;  // by offset, for a range made into nodes at once
  TakenOffsets taken;
};

struct DLLSlot {
  DLLNode* single = nullptr;  // null for a bucket
  std::uint32_t bucket = 0;
};

struct DualLinkedList {
  DLLNode* head = nullptr;
  DLLNode* tail = nullptr;
  std::uint32_t count = 0;
  DLLPayloadDeleter deletePayload = nullptr;
  const Platform* platform = &systemPlatform();  // where misuse messages go

  // Positional index. Slots are appended in list order, numbered from 1; the k-th item is found
  // by the slot whose running count passes k. Reset whenever the list becomes empty.
  std::vector<std::uint32_t> slotTree;  // Fenwick tree of items present per slot; [0] unused
  std::vector<DLLSlot> slots;           // [0] unused
  std::vector<DLLBucket> buckets;
  // Slots of nodes added by addDLLNode, whose slot cannot be worked out from the node.
  std::unordered_map<const DLLNode*, std::uint32_t> singleSlots;

  // Storage of range nodes, made on demand by lookups as well: hence mutable.
  mutable std::vector<DLLNodeChunk> chunks;  // ascending address
  mutable DLLNode* spareNodes = nullptr;     // released range nodes, chained through next
  // Range nodes yielded for implicit numbers still in the list, by bucket << 16 | offset.
  mutable std::unordered_map<std::uint64_t, DLLRangeNode*> madeNodes;

  DualLinkedList() = default;
  DualLinkedList(const DualLinkedList&) = delete;  // nodes point back at their owner
  DualLinkedList& operator=(const DualLinkedList&) = delete;
  ~DualLinkedList();
};

// Sets where messages go and how the payloads of addDLLNode's nodes are released.
void initDualLinkedList(DualLinkedList& list, const Platform& platform, DLLPayloadDeleter deletePayload);

// Appends the node at the tail; a node already in a list is refused with a message.
void addDLLNode(DualLinkedList& list, DLLNode* node);

// Yields the node at the position (0 is the first). False, null and a message past the last.
bool getDLLNodeByIndex(const DualLinkedList& list, std::uint32_t index, DLLNode*& node);

// Unlinks the node and hands it, with its payload, to the caller; its own links are left as
// they were. False and a message for null or for a node this list does not hold.
bool removeDLLNode(DualLinkedList& list, DLLNode* node);

// Releases every node and payload the list owns, removed range nodes included, and leaves the
// list empty and reusable with the same deleter.
void clearDualLinkedList(DualLinkedList& list);

// Appends first..last ascending, each node's payload a 4-byte number; nothing when first > last.
// A range that would take count past 2^32 - 1 is refused with a message.
void addDLLNumberRange(DualLinkedList& list, std::uint32_t first, std::uint32_t last);

// The deleter for payloads made with `new std::uint32_t`; null is ignored.
void freeDLLPayload(void* payload);

// Releases a node removed from this list: payload through deletePayload and the node itself,
// or for a range node, back to the list for reuse. A node still in a list is left alone.
void releaseDLLNode(DualLinkedList& list, DLLNode* node);

}  // namespace qvmin
