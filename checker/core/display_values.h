// The texts the checker produces from its state: the button face ("CP"), the
// status lines ("ST"), the time of the last check ("TM") and the unread total
// ("NR"), plus the per-account values that macros can name.
#pragma once
#include <ctime>
#include <string>

namespace bw {

// Read-only view of the checker's state that the display values are built
// from. The checker application implements it over CheckerApplication and
// its Pop3Checker accounts.
class DisplaySource {
 public:
  virtual ~DisplaySource() = default;
  // 0 before the first check.
  virtual std::time_t LastCheckTime() const = 0;
  virtual int TotalUnread() const = 0;
  virtual bool AnyEmergency() const = 0;
  virtual int AccountCount() const = 0;
  // CheckState of the account at list position `index` (0-based).
  virtual int AccountCheckState(int index) const = 0;
  // The account's AttributeText for a two-letter code ("ST", "NR", "NM",
  // "CT", "AT"; "Undef" for any other).
  virtual std::string AccountAttributeText(int index, const std::string& code) const = 0;
};

// The face text of the button.
std::string FaceText(const DisplaySource& source);

// Display value by name: "CP", "ST", "TM", "NR"; the empty text for others.
std::string BuildDisplayValue(const DisplaySource& source, const std::string& name);

}  // namespace bw
