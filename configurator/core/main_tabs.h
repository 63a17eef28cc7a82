// What the main window shows of each of its three tabs, told once per tab:
// the label, the list limit, the columns, the cells of one row, where the
// list's head lives and the record Add starts with; and what the window's
// buttons allow on each. The window asks the description instead of asking
// which tab it shows.
#pragma once
#include <string>
#include <vector>

#include "common/core/controller_record.h"
#include "configurator/core/field_binding.h"
#include "common/core/ring_list.h"

namespace bw {

enum ConfiguratorTab { kTabAccounts = 0, kTabMenu = 1, kTabAutoExec = 2 };
constexpr int kTabCount = 3;

enum class ColumnAlign { kLeft, kRight, kCenter };
struct TabColumn {
  const char* title;
  ColumnAlign align;
  int width;  // pixels
};

// What running applications captured into the tab become.
enum class TabCapture { kNone, kAutoExec, kMenu };

// One row of the list: a cell per column, and the program whose icon it
// shows ("" for none).
struct TabRow {
  std::vector<std::string> cells;
  std::string iconFile;
};

struct TabDescription {
  const char* name;  // the label without its filled marker
  int limit;         // most records the list may hold
  TabCapture capture;
  std::vector<TabColumn> columns;
  RingListClass* (*head)(const AncestryPop3Controller& controller);
  void (*setHead)(AncestryPop3Controller& controller, RingListClass* head);
  TabRow (*row)(const RingListClass& record);
  // A new record holding its keys' defaults.
  RingListClass* (*newRecord)();
};

// The description of `tab` (a ConfiguratorTab).
const TabDescription& DescribeTab(int tab);

// What the window's buttons allow on `tab`, whose list holds `rows`
// records, `selectedRows` of them chosen.
struct MainEnabling {
  bool ok = false;       // the hidden default button (Enter runs Update)
  bool update = false;   // "更新[Ret]..."
  bool remove = false;   // "削除(&D)"
  bool capture = false;  // "ｷｬﾌﾟﾁｬ(&C)..."
  bool add = false;      // "追加(&A)..."
};
MainEnabling ComputeMainEnabling(const std::string& saveFileName, int selectedRows, int tab,
                                 int rows);

// "●接続先" for a list with records, "  接続先" for an empty one.
std::string TabLabel(int tab, bool listEmpty);

// The main window's bound field: the log's size limit, 0..9999 (a value of
// the file's header, not of a record: its draft holds it under this key).
constexpr int kLogFileLimitKey = 0;
extern const BindingTable kMainWindowBindings;

}  // namespace bw
