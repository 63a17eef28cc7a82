// The three tab descriptions (see main_tabs.h).
#include "configurator/core/main_tabs.h"

#include "common/core/param_syntax.h"
#include "configurator/core/field_binding.h"
#include "configurator/core/main_rules.h"
#include "configurator/core/record_fields.h"
#include "configurator/ids/main_window_ids.h"

namespace bw {
namespace {

// The head of one of the controller's three rings, read and stored.
template <typename T, T* AncestryPop3Controller::*kHead>
RingListClass* HeadOf(const AncestryPop3Controller& c) {
  return c.*kHead;
}
template <typename T, T* AncestryPop3Controller::*kHead>
void SetHeadOf(AncestryPop3Controller& c, RingListClass* head) {
  c.*kHead = static_cast<T*>(head);
}

TabRow AccountRow(const RingListClass& record) {
  const RecordDraft d =
      DraftOf(kAccountKeyTable, static_cast<const AncestryPop3Checker&>(record));
  const char* protocol = AtoiValue(d.Text(kProtocol)) == 1 ? "IMAP" : "POP3";
  return {{d.Text(kConnectionName), d.Text(kHostName), d.Text(kServiceName), protocol,
           d.Text(kCycleMinutes)},
          ""};
}

TabRow MenuRow(const RingListClass& record) {
  const auto& menu = static_cast<const MenuExecutant&>(record);
  const RecordDraft d = DraftOf(kExecutantKeyTable, static_cast<const Executant&>(menu));
  std::string name;
  menu.MenuKeyText(kMenuExecutionName, &name);
  const std::string& program = d.Text(kExecutionFileName);
  return {{name, ModuleText(program), DirectoryMarker(program, d.Text(kExecutionPath)),
           PriorityText(d.Text(kExecutionPriority)), ArgumentsMarker(d.Text(kExecutionArguments))},
          program};
}

TabRow AutoExecRow(const RingListClass& record) {
  const RecordDraft d = DraftOf(kExecutantKeyTable, static_cast<const Executant&>(record));
  const std::string& program = d.Text(kExecutionFileName);
  return {{ModuleText(program), InitialOnceMarker(d.Text(kExecutionInitialOnce)),
           DirectoryMarker(program, d.Text(kExecutionPath)), PositionText(d.Text(kExecutionPosition)),
           SizeText(d.Text(kExecutionSize)), PriorityText(d.Text(kExecutionPriority)),
           ArgumentsMarker(d.Text(kExecutionArguments))},
          program};
}

const TabDescription kTabs[kTabCount] = {
    {"接続先",
     256,
     TabCapture::kNone,
     {{"接続先", ColumnAlign::kLeft, 164},
      {"ﾎｽﾄ名", ColumnAlign::kLeft, 140},
      {"ｻｰﾋﾞｽ", ColumnAlign::kRight, 60},
      {"ﾌﾟﾛﾄｺﾙ", ColumnAlign::kCenter, 56},
      {"周期", ColumnAlign::kRight, 56}},
     HeadOf<AncestryPop3Checker, &AncestryPop3Controller::accountHead>,
     SetHeadOf<AncestryPop3Checker, &AncestryPop3Controller::accountHead>,
     AccountRow,
     []() -> RingListClass* { return NewAccountRecord(); }},
    {"ﾒﾆｭｰ起動",
     9,
     TabCapture::kMenu,
     {{"ｷｬﾌﾟｼｮﾝ", ColumnAlign::kLeft, 222},
      {"ﾓｼﾞｭｰﾙ", ColumnAlign::kCenter, 124},
      {"Dir", ColumnAlign::kCenter, 30},
      {"Pri", ColumnAlign::kCenter, 58},
      {"引数", ColumnAlign::kCenter, 42}},
     HeadOf<MenuExecutant, &AncestryPop3Controller::menuHead>,
     SetHeadOf<MenuExecutant, &AncestryPop3Controller::menuHead>,
     MenuRow,
     []() -> RingListClass* { return NewMenuRecord(); }},
    {"自動起動",
     16,
     TabCapture::kAutoExec,
     {{"ﾓｼﾞｭｰﾙ", ColumnAlign::kCenter, 140},
      {"重", ColumnAlign::kCenter, 30},
      {"Dir", ColumnAlign::kCenter, 30},
      {"位置", ColumnAlign::kRight, 96},
      {"ｻｲｽﾞ", ColumnAlign::kRight, 80},
      {"Pri", ColumnAlign::kCenter, 58},
      {"引数", ColumnAlign::kCenter, 42}},
     HeadOf<Executant, &AncestryPop3Controller::autoExecHead>,
     SetHeadOf<Executant, &AncestryPop3Controller::autoExecHead>,
     AutoExecRow,
     []() -> RingListClass* { return NewAutoExecRecord(); }},
};

}  // namespace

namespace {
const FieldBinding kMainWindowRows[] = {
    NumberBinding(IDC_LOG_LIMIT, kLogFileLimitKey, kNoPage, 0, 9999),
};
}  // namespace

const BindingTable kMainWindowBindings = {kMainWindowRows,
                                          sizeof kMainWindowRows / sizeof kMainWindowRows[0]};

const TabDescription& DescribeTab(int tab) { return kTabs[tab]; }

MainEnabling ComputeMainEnabling(const std::string& saveFileName, int selectedRows, int tab,
                                 int rows) {
  MainEnabling e;
  e.ok = saveFileName.size() > 5;
  e.update = e.remove = selectedRows > 0;
  e.capture = DescribeTab(tab).capture != TabCapture::kNone;
  e.add = rows < DescribeTab(tab).limit;
  return e;
}

std::string TabLabel(int tab, bool listEmpty) {
  return std::string(listEmpty ? "  " : "●") + DescribeTab(tab).name;
}

}  // namespace bw
