// Knobset's dialogs whose controls are bound to record keys: the dialog base
// plus filling the controls of a binding table's rows from a draft and
// reading them back (configurator/core/field_binding.h holds the rows).
#pragma once
#include <windows.h>

#include <string>

#include "common/win32/dialog.h"
#include "configurator/core/field_binding.h"

namespace bw {

// A bound row that refused its control's value: the control to focus (an
// optional pair's refused edit) and the message; no row when all passed.
struct BoundRefusal {
  const FieldBinding* row = nullptr;
  int control = 0;
  std::string message;
};

class BoundDialog : public Dialog {
 public:
  using Dialog::Dialog;

  // FillBound sets the controls of the table's rows on `page` from the
  // draft. ReadBound reads them back into the draft row by row, checking
  // each, and stops at the first refused row: its message shows in a box
  // titled `caption`, its control gets the focus (a number's text
  // selected), and the row is returned; none when every row passed.
  void FillBound(const BindingTable& table, int page, const RecordDraft& draft);
  const FieldBinding* ReadBound(const BindingTable& table, int page, RecordDraft& draft,
                                const char* caption);
  // ReadBound without showing anything: a dialog that shows a refusal its
  // own way (on the page holding it).
  BoundRefusal ReadBoundRows(const BindingTable& table, int page, RecordDraft& draft) const;
  // The edits of each optional pair on `page` enabled while its box is
  // checked (FillBound does it too; call it when a box is clicked).
  void EnableBoundPairs(const BindingTable& table, int page);
  // A choice row on its change radio with the edit enabled, or on its
  // default radio with the edit disabled; the edit shows `value`.
  void ShowChoiceRow(const FieldBinding& row, const std::string& value, bool change);

 protected:
  // A masked row's text lives with the dialog, which may show a placeholder
  // instead: OpenMasked takes the draft's text, MaskedText gives the real
  // one back. By default the control holds the text itself.
  virtual void OpenMasked(int control, const std::string& text) { SetItemText(control, text); }
  virtual std::string MaskedText(int control) const { return ItemText(control); }
};

}  // namespace bw
