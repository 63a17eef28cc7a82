// The account dialog's behaviour without a window: the masking of the user
// ID and password, the time-out radio pairs and the required-field message.
#pragma once
#include <string>

namespace bw {

// The fixed text a masked, non-empty box shows: it never tells the length.
extern const char kMaskPlaceholder[];

// One masked edit box: the real value and the text the box shows.
class MaskedField {
 public:
  void Open(const std::string& value, bool masking);
  // The masking check box changed: plain values, or the placeholder.
  void ApplyMasking(bool masking);
  // The user typed: the real value follows the box while it has the focus.
  void Changed(const std::string& boxText);
  // The box gained the focus: it shows the real value to edit.
  void FocusGained();
  // The box lost the focus holding `boxText`.
  void FocusLost(const std::string& boxText);

  const std::string& Real() const { return real_; }
  const std::string& Shown() const { return shown_; }
  bool Masking() const { return masking_; }

 private:
  std::string real_;
  std::string shown_;
  bool masking_ = true;
  bool focused_ = false;
};

// One time-out row: "基準値" (0, box disabled) or "変更" (box enabled).
struct TimeoutRow {
  int value = 0;
  bool changed = false;  // "変更" selected and the box enabled
  void Open(int stored) {
    value = stored;
    changed = stored != 0;
  }
  void ChooseDefault() {
    value = 0;
    changed = false;
  }
  void ChooseChange() {
    value = 30;
    changed = true;
  }
};

// The lines for every required field that is empty or holds only blanks
// (which the file would keep as empty), in the dialog's order; empty when
// all are given.
std::string RequiredFieldsMessage(const std::string& connectionName,
                                  const std::string& hostName,
                                  const std::string& serviceName, const std::string& userId,
                                  const std::string& password);

}  // namespace bw
