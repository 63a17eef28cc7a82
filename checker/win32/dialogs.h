// The checker's three dialogs of the popup menu: version, detailed status
// and emergency mode.
#pragma once
#include <string>
#include <vector>

#include "common/win32/dialog.h"

namespace bw {

// The version dialog: closes with OK or Cancel.
class VersionDialog : public Dialog {
 public:
  explicit VersionDialog(HINSTANCE instance);
};

// The detailed status: the text given, read-only; only its close button
// (Cancel) ends it.
class StatusDialog : public Dialog {
 public:
  StatusDialog(HINSTANCE instance, std::string text);

 protected:
  bool OnInit() override;
  bool OnOK() override { return false; }

 private:
  std::string text_;
};

// Emergency mode: one list line per account (" 1 name"), selected where the
// account is in emergency mode now. On OK, `chosen` holds the selected list
// positions in list order.
class EmergencyDialog : public Dialog {
 public:
  struct Account {
    std::string name;
    bool inEmergency;
  };
  EmergencyDialog(HINSTANCE instance, std::vector<Account> accounts);

  std::vector<int> chosen;

 protected:
  bool OnInit() override;
  bool OnOK() override;
  bool OnCommand(int id, int code) override;

 private:
  std::vector<Account> accounts_;
};

}  // namespace bw
