// Editing of the configurator's record lists in place: append, delete and the
// two moves. The rows of the list view are the ring read from its head, so
// a selection is handed over as the selected records in row order.
#pragma once
#include <vector>

#include "common/core/ring_list.h"

namespace bw {

// The ring from `head` in row order.
std::vector<RingListClass*> RingRows(RingListClass* head);

// Links `record` in after the last record; it becomes the head of an empty
// list.
void AppendRecord(RingListClass*& head, RingListClass* record);

// Unlinks and destroys every record of `selected` (row order). A deleted head
// hands its place to the record after it. Returns the row index to select
// afterwards: the single selected row's index, or -1 when several or none
// were selected.
int DeleteRecords(RingListClass*& head, const std::vector<RingListClass*>& selected);

// Move up and Move down. With no selection the list rotates; with every row
// selected it is reversed; otherwise each selected block moves by one row
// unless it already stands at that edge. False when the list has fewer than
// two rows and nothing was done.
bool MoveRecordsUp(RingListClass*& head, const std::vector<RingListClass*>& selected);
bool MoveRecordsDown(RingListClass*& head, const std::vector<RingListClass*>& selected);

// Typed forms for the record heads the controller holds.
template <typename T>
void AppendRecord(T*& head, T* record) {
  RingListClass* h = head;
  AppendRecord(h, static_cast<RingListClass*>(record));
  head = static_cast<T*>(h);
}
template <typename T>
int DeleteRecords(T*& head, const std::vector<RingListClass*>& selected) {
  RingListClass* h = head;
  int index = DeleteRecords(h, selected);
  head = static_cast<T*>(h);
  return index;
}
template <typename T>
bool MoveRecordsUp(T*& head, const std::vector<RingListClass*>& selected) {
  RingListClass* h = head;
  bool moved = MoveRecordsUp(h, selected);
  head = static_cast<T*>(h);
  return moved;
}
template <typename T>
bool MoveRecordsDown(T*& head, const std::vector<RingListClass*>& selected) {
  RingListClass* h = head;
  bool moved = MoveRecordsDown(h, selected);
  head = static_cast<T*>(h);
  return moved;
}

}  // namespace bw
