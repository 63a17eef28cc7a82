// Circular doubly linked list node, the base of every record that stands in
// a list of records. A node alone has no links at all (never itself); a list
// is held by a head pointer and walked until the next link is none or leads
// back to the head.
#pragma once

namespace bw {

class RingListClass {
 public:
  RingListClass() = default;
  virtual ~RingListClass() = default;
  RingListClass(const RingListClass&) = delete;
  RingListClass& operator=(const RingListClass&) = delete;

  // Links `node` after this one (a two-node ring when this one is alone).
  // Returns `node`.
  virtual RingListClass* InsertAfter(RingListClass* node);
  // Links `node` before this one. Returns `node`.
  virtual RingListClass* InsertBefore(RingListClass* node);
  // Takes this node out of its ring. Returns the former previous node, or
  // none when the node was in no ring.
  virtual RingListClass* Unlink();

  RingListClass* Next() const { return next_; }
  RingListClass* Previous() const { return previous_; }

 private:
  RingListClass* next_ = nullptr;
  RingListClass* previous_ = nullptr;
};

// Calls fn(node) for every node of the ring that starts at head, in order.
// fn may not unlink the node it is given.
template <typename T, typename Fn>
void WalkRing(T* head, Fn fn) {
  RingListClass* node = head;
  while (node) {
    RingListClass* next = node->Next();
    fn(static_cast<T*>(node));
    if (!next || next == head) break;
    node = next;
  }
}

// Number of nodes in the ring that starts at head.
template <typename T>
int RingCount(T* head) {
  int n = 0;
  WalkRing(head, [&n](T*) { ++n; });
  return n;
}

// Destroys every node of the ring and sets the head to none.
template <typename T>
void DestroyRing(T*& head) {
  RingListClass* node = head;
  RingListClass* start = head;
  while (node) {
    RingListClass* next = node->Next();
    delete node;
    if (!next || next == start) break;
    node = next;
  }
  head = nullptr;
}

}  // namespace bw
