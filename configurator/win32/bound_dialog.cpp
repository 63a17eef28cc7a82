// The bound dialog (see bound_dialog.h).
#include "configurator/win32/bound_dialog.h"

#include "common/core/param_syntax.h"
#include "platform/win32/wide_text.h"

namespace bw {

void BoundDialog::FillBound(const BindingTable& table, int page, const RecordDraft& draft) {
  for (const FieldBinding& row : table) {
    if (row.page != page) continue;
    const std::string text = BoundText(row, draft);
    switch (row.kind) {
      case BindKind::kText:
        if (row.hi > 0) SendItem(row.control, EM_LIMITTEXT, static_cast<WPARAM>(row.hi));
        SetItemText(row.control, text);
        break;
      case BindKind::kMasked:
        OpenMasked(row.control, text);
        break;
      case BindKind::kNumber:
        SetItemText(row.control, text);
        break;
      case BindKind::kCheck:
        SetChecked(row.control, AtoiValue(text) != 0);
        break;
      case BindKind::kComboIndex:
        for (const char* choice : row.choices)
          SendItem(row.control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(choice).c_str()));
        SendItem(row.control, CB_SETCURSEL, static_cast<WPARAM>(AtoiValue(text)));
        break;
      case BindKind::kChoiceRow:
        ShowChoiceRow(row, text, AtoiValue(text) != 0);
        break;
      case BindKind::kFlag:
        SetChecked(row.control, AtoiValue(text) != 0);
        break;
      case BindKind::kRadioGroup:
        CheckRadioButton(Handle(), row.controls.front(), row.controls.back(),
                         row.controls[RadioIndex(row, text)]);
        break;
      case BindKind::kOptionalPair: {
        int pair[2] = {0, 0};
        const bool given = !text.empty() && ScanPair(text, &pair[0], &pair[1]);
        SetChecked(row.control, given);
        for (int part = 0; part < 2; ++part)
          SetItemText(row.controls[part], FormatInt("%d", given ? pair[part] : 0));
        break;
      }
      case BindKind::kComboBits:
        for (const char* choice : row.choices)
          SendItem(row.control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(choice).c_str()));
        SendItem(row.control, CB_SETCURSEL, static_cast<WPARAM>(ComboBitsIndex(row, text)));
        break;
      case BindKind::kCheckBit:
        SetChecked(row.control, BitChecked(row, text));
        break;
    }
  }
  EnableBoundPairs(table, page);
}

void BoundDialog::EnableBoundPairs(const BindingTable& table, int page) {
  for (const FieldBinding& row : table)
    if (row.page == page && row.kind == BindKind::kOptionalPair)
      for (int edit : row.controls) EnableItem(edit, IsChecked(row.control));
}

BoundRefusal BoundDialog::ReadBoundRows(const BindingTable& table, int page, RecordDraft& draft) const {
  for (const FieldBinding& row : table) {
    if (row.page != page) continue;
    std::string value = BoundText(row, draft);
    std::string message;
    int focus = row.control;
    switch (row.kind) {
      case BindKind::kText:
      case BindKind::kNumber:
        message = CheckBoundText(row, ItemText(row.control), &value);
        break;
      case BindKind::kMasked:
        value = MaskedText(row.control);
        break;
      case BindKind::kCheck:
        value = IsChecked(row.control) ? "1" : "0";
        break;
      case BindKind::kComboIndex: {
        const LRESULT index = SendItem(row.control, CB_GETCURSEL);
        if (index != CB_ERR) {
          value = FormatInt("%d", static_cast<int>(index));
        } else if (row.noChoice == NoChoice::kFirstEntry) {
          value = "0";
        }
        break;
      }
      case BindKind::kChoiceRow:
        // The edit is enabled exactly while the change radio holds; a radio
        // just clicked has not been applied yet.
        if (IsWindowEnabled(Item(row.control))) {
          message = CheckBoundText(row, ItemText(row.control), &value);
        } else {
          value = ChoiceValue(row, false);
        }
        break;
      case BindKind::kFlag:
        value = IsChecked(row.control) ? "1" : "";
        break;
      case BindKind::kRadioGroup:
        value = row.choices.front();
        for (size_t i = 0; i < row.controls.size(); ++i)
          if (IsChecked(row.controls[i])) value = row.choices[i];
        break;
      case BindKind::kOptionalPair: {
        int part = 0;
        message = CheckPairBoxes(row, IsChecked(row.control), ItemText(row.controls[0]),
                                 ItemText(row.controls[1]), &value, &part);
        focus = row.controls[part];
        break;
      }
      case BindKind::kComboBits: {
        const LRESULT index = SendItem(row.control, CB_GETCURSEL);
        value = WithComboBits(row, value, index == CB_ERR ? 0 : static_cast<int>(index));
        break;
      }
      case BindKind::kCheckBit:
        value = WithBit(row, value, IsChecked(row.control));
        break;
    }
    if (!message.empty()) return BoundRefusal{&row, focus, message};
    SetBoundText(row, value, draft);
  }
  return BoundRefusal{};
}

const FieldBinding* BoundDialog::ReadBound(const BindingTable& table, int page, RecordDraft& draft,
                                           const char* caption) {
  const BoundRefusal refusal = ReadBoundRows(table, page, draft);
  if (!refusal.row) return nullptr;
  MessageBoxW(Handle(), Wide(refusal.message).c_str(), Wide(caption).c_str(), MB_OK | MB_ICONEXCLAMATION);
  SetFocus(Item(refusal.control));
  if (refusal.row->kind != BindKind::kText) SendItem(refusal.control, EM_SETSEL, 0, -1);
  return refusal.row;
}

void BoundDialog::ShowChoiceRow(const FieldBinding& row, const std::string& value, bool change) {
  CheckRadioButton(Handle(), row.defaultRadio, row.changeRadio,
                   change ? row.changeRadio : row.defaultRadio);
  SetItemText(row.control, value);
  EnableItem(row.control, change);
}

}  // namespace bw
