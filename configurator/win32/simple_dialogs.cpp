// Knobset's small dialogs (see simple_dialogs.h).
#include "configurator/win32/simple_dialogs.h"

#include <string>

#include "common/core/key_table.h"
#include "common/core/platform.h"
#include "configurator/core/record_fields.h"
#include "configurator/win32/dialog.h"
#include "configurator/win32/resource.h"

namespace bw {
namespace {

const char kFirstUseNotes[] =
    "■■■■■■■■■■■■■■■■■■■■■■■■■■■■■\r\n"
    "　シミュレーション機能のご紹介\r\n"
    "■■■■■■■■■■■■■■■■■■■■■■■■■■■■■\r\n"
    "Bellwick(ﾍﾞﾙｳｨｯｸ) は起動するだけで、DNSｻｰﾊﾞへﾃﾞｰﾀﾘﾝｸを確立しよう\r\n"
    "とします。　結果として、ﾘﾓｰﾄ接続にてIP接続を実現されている方の\r\n"
    "環境では、Bellwick を起動するだけで、回線接続の処理が流れます。\r\n"
    "－－－－－－－－－－－－－－－\r\n"
    "例えば、ﾀﾞｲｱﾙｱｯﾌﾟを自動接続で利用されている方の場合ですと、\r\n"
    "Bellwick を起動するだけで、電話がかかることになります。\r\n"
    "－－－－－－－－－－－－－－－\r\n"
    "そこで、環境を整える間の便利機能として、POP3ｻｰﾊﾞへ接続しないで\r\n"
    "あたかも未読ﾒｰﾙがあったかのように振る舞う「ｼﾐｭﾚｰｼｮﾝﾓｰﾄﾞ」\r\n"
    "が備わっています。　詳しくはﾍﾙﾌﾟﾌｧｲﾙをご覧下さい。\r\n"
    "■■■■■■■■■■■■■■■■■■■■■■■■■■■■■";

class FirstUseDialog : public Dialog {
 protected:
  BOOL OnInit() override {
    SetItemText(IDC_NOTES, kFirstUseNotes);
    return TRUE;
  }
};

class ApplicationStubDialog : public Dialog {
 public:
  ApplicationStubDialog(bool menu, Executant& record) : menu_(menu), record_(record) {}

 protected:
  BOOL OnInit() override {
    if (menu_) SetItemText(IDC_APP_CAPTION, static_cast<MenuExecutant&>(record_).MenuExecutionName);
    Enable(IDC_APP_CAPTION, menu_);
    SetItemText(IDC_APP_FILE, ReadExecutantRow(record_).fileName);
    return TRUE;
  }
  void OnOk() override {
    const std::string file = ItemText(IDC_APP_FILE);
    // A record without a program would be dropped by the next reading.
    if (file.empty()) {
      KnobsetBox(hwnd_, "ﾓｼﾞｭｰﾙは必須入力項目です.\r\n");
      return;
    }
    if (SetExecutantProgram(record_, file) != kSetOk ||
        (menu_ && SetMenuCaption(static_cast<MenuExecutant&>(record_),
                                 ItemText(IDC_APP_CAPTION)) != kSetOk)) {
      KnobsetBox(hwnd_, "ﾌｧｲﾙに保存できない文字か長さの項目があります.");
      return;
    }
    End(IDOK);
  }

 private:
  bool menu_;
  Executant& record_;
};

HWND g_owner = nullptr;

int OwnedBox(void*, const std::string& text, const std::string& caption, unsigned style) {
  return MessageBoxA(g_owner, text.c_str(), caption.c_str(), style);
}

}  // namespace

void RunFirstUseNotes() {
  FirstUseDialog dialog;
  dialog.RunModal(nullptr, IDD_FIRST_USE);
}

void RunAboutBox(HWND owner) {
  Dialog dialog;
  dialog.RunModal(owner, IDD_ABOUT);
}

bool RunApplicationStub(HWND owner, bool menu, Executant& record) {
  ApplicationStubDialog dialog(menu, record);
  return dialog.RunModal(owner, IDD_APPLICATION_STUB) == IDOK;
}

void SetMessageOwner(HWND owner) {
  g_owner = owner;
  SetMessageBoxHandler(owner ? OwnedBox : nullptr, nullptr);
}

}  // namespace bw
