// Account dialog behaviour (see account_model.h).
#include "configurator/core/account_model.h"

namespace bw {

const char kMaskPlaceholder[] = "------------------------------------------";

void MaskedField::Open(const std::string& value, bool masking) {
  real_ = value;
  focused_ = false;
  ApplyMasking(masking);
}

void MaskedField::ApplyMasking(bool masking) {
  masking_ = masking;
  // A focused box keeps showing what the user edits.
  shown_ = masking_ && !focused_ && !real_.empty() ? kMaskPlaceholder : real_;
}

void MaskedField::Changed(const std::string& boxText) {
  // The window layer does not report the texts it sets itself, so every
  // change reported here is the user's own.
  real_ = boxText;
  shown_ = boxText;
}

void MaskedField::FocusGained() {
  focused_ = true;
  shown_ = real_;
}

void MaskedField::FocusLost(const std::string& boxText) {
  focused_ = false;
  real_ = boxText;
  ApplyMasking(masking_);
}

namespace {

// A text the parameter file would keep as empty: its lines lose trailing
// blanks and leading control bytes, so only blanks are no value at all.
bool Blank(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > 0x20) return false;
  return true;
}

}  // namespace

std::string RequiredFieldsMessage(const std::string& connectionName,
                                  const std::string& hostName,
                                  const std::string& serviceName, const std::string& userId,
                                  const std::string& password) {
  std::string text;
  if (Blank(connectionName)) text += "接続名は必須入力項目です\r\n";
  if (Blank(hostName)) text += "ﾎｽﾄ名は必須入力項目です.\r\n";
  if (Blank(serviceName)) text += "ｻｰﾋﾞｽ名は必須入力項目です.\r\n";
  if (Blank(userId)) text += "ﾕｰｻﾞIDは必須入力項目です.\r\n";
  if (Blank(password)) text += "ﾊﾟｽﾜｰﾄﾞは必須入力項目です.\r\n";
  return text;
}

}  // namespace bw
