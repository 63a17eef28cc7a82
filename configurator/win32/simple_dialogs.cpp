// Knobset's small dialogs (see simple_dialogs.h).
#include "configurator/win32/simple_dialogs.h"

#include <string>

#include "common/win32/dialog.h"
#include "configurator/ids/about_dialog_ids.h"
#include "configurator/ids/first_use_dialog_ids.h"
#include "platform/message_box.h"
#include "platform/win32/wide_text.h"

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
 public:
  FirstUseDialog() : Dialog(GetModuleHandleW(nullptr), IDD_FIRST_USE) { SetHelpTopic("first-use.html"); }

 protected:
  bool OnInit() override {
    SetItemText(IDC_NOTES, kFirstUseNotes);
    return true;
  }
};

HWND g_owner = nullptr;

int OwnedBox(void*, const std::string& text, const std::string& caption, unsigned style) {
  return MessageBoxW(g_owner, Wide(text).c_str(), Wide(caption).c_str(), style);
}

}  // namespace

void RunFirstUseNotes() {
  FirstUseDialog dialog;
  dialog.DoModal(nullptr);
}

void RunAboutBox(HWND owner) {
  Dialog dialog(GetModuleHandleW(nullptr), IDD_ABOUT);
  dialog.SetHelpTopic("about.html");
  dialog.DoModal(owner);
}

void SetMessageOwner(HWND owner) {
  g_owner = owner;
  SetMessageBoxHandler(owner ? OwnedBox : nullptr, nullptr);
}

}  // namespace bw
