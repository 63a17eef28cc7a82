// Record list editing (see record_list.h).
#include "configurator/core/record_list.h"

#include <cstddef>

namespace bw {

std::vector<RingListClass*> RingRows(RingListClass* head) {
  std::vector<RingListClass*> rows;
  WalkRing(head, [&rows](RingListClass* node) { rows.push_back(node); });
  return rows;
}

void AppendRecord(RingListClass*& head, RingListClass* record) {
  if (!head) {
    head = record;
    return;
  }
  // The last record is the head's predecessor; a lone head has no links.
  RingListClass* last = head->Previous() ? head->Previous() : head;
  last->InsertAfter(record);
}

int DeleteRecords(RingListClass*& head, const std::vector<RingListClass*>& selected) {
  if (selected.empty()) return -1;
  int remembered = -1;
  if (selected.size() == 1) {
    const std::vector<RingListClass*> rows = RingRows(head);
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i] == selected[0]) remembered = static_cast<int>(i);
  }
  for (RingListClass* record : selected) {
    if (record == head) head = record->Next();  // none when it stood alone
    record->Unlink();
    delete record;
  }
  return remembered;
}

namespace {

bool EveryRowSelected(RingListClass* head, const std::vector<RingListClass*>& selected) {
  return static_cast<int>(selected.size()) == RingCount(head);
}

// Reverses the list: the first selected record becomes a lone head, each
// further one goes in directly after it, and the head's successor then leads.
void ReverseFromSelection(RingListClass*& head, const std::vector<RingListClass*>& selected) {
  for (RingListClass* record : selected) record->Unlink();
  head = selected[0];
  for (std::size_t i = 1; i < selected.size(); ++i) head->InsertAfter(selected[i]);
  head = head->Next();
}

}  // namespace

bool MoveRecordsUp(RingListClass*& head, const std::vector<RingListClass*>& selected) {
  if (RingCount(head) < 2) return false;
  if (selected.empty()) {
    head = head->Next();
    return true;
  }
  if (EveryRowSelected(head, selected)) {
    ReverseFromSelection(head, selected);
    return true;
  }
  RingListClass* handled = nullptr;
  for (RingListClass* record : selected) {
    RingListClass* previous = record->Previous();
    // A block at the top stays; the rest of a block follows its first record.
    if (record != head && previous != handled) {
      record->Unlink();
      previous->InsertBefore(record);
      if (previous == head) head = record;
    }
    handled = record;
  }
  return true;
}

bool MoveRecordsDown(RingListClass*& head, const std::vector<RingListClass*>& selected) {
  if (RingCount(head) < 2) return false;
  if (selected.empty()) {
    head = head->Previous();
    return true;
  }
  if (EveryRowSelected(head, selected)) {
    ReverseFromSelection(head, selected);
    return true;
  }
  const bool headSelected = selected.front() == head;
  RingListClass* const last = head->Previous();
  RingListClass* handled = nullptr;
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
    RingListClass* record = *it;
    RingListClass* next = record->Next();
    if (record != last && next != handled) {
      record->Unlink();
      next->InsertAfter(record);
    }
    handled = record;
  }
  // The head pointer travelled down with its record; the record now in
  // front of it leads the list.
  if (headSelected) head = head->Previous();
  return true;
}

}  // namespace bw
