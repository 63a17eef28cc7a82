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

std::string RequiredFieldsMessage(const std::string& connectionName,
                                  const std::string& hostName,
                                  const std::string& serviceName, const std::string& userId,
                                  const std::string& password) {
  std::string text;
  if (connectionName.empty()) text += "接続名は必須入力項目です\r\n";
  if (hostName.empty()) text += "ﾎｽﾄ名は必須入力項目です.\r\n";
  if (serviceName.empty()) text += "ｻｰﾋﾞｽ名は必須入力項目です.\r\n";
  if (userId.empty()) text += "ﾕｰｻﾞIDは必須入力項目です.\r\n";
  if (password.empty()) text += "ﾊﾟｽﾜｰﾄﾞは必須入力項目です.\r\n";
  return text;
}

}  // namespace bw
