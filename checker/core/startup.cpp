// Checker start-up (see startup.h).
#include "checker/core/startup.h"

#include "common/core/param_file.h"
#include "common/core/text_file.h"
#include "platform/message_box.h"

namespace bw {

const char kUsageText[] =
    "Usage : bellwick { [-p ﾊﾟﾗﾒｰﾀ] [-s] [-d mode] | [-x] }\r\n\t-p 省略時は、 カレントの"
    " "
    "Bellwick.ini"
    " "
    "が読み込まれます.\r\n"
    "\t-x : 稼働中のbellwickを終了させます（自分も終了します).\r\n"
    "\t-s : 設定確認のためのｼﾐｭﾚｰｼｮﾝﾓｰﾄﾞで稼働します.\r\n"
    "\t\t通信せず、あたかも未読ﾒｰﾙがあったかのように動きます.\r\n"
    "\t-d : 重複起動ﾓｰﾄﾞ (mode : 0=古い方を終了,1=自分を終了,2=許可)\r\n";

namespace {
const char kDefaultParameterFile[] = "Bellwick.ini";
const char kAlreadyRunning[] = "既に起動されています.";
}  // namespace

void ShowCheckerMessage(const std::string& text) {
  ShowMessageBox(text, "Bellwick", kMbTaskModal);
}

const char* AccountCountMessage(const AncestryPop3Controller& controller) {
  int count = controller.AccountCount();
  if (count == 0) return "接続先の定義がありません.";
  if (count > 256) return "接続先は最大２５６個までしか登録できません.";
  return nullptr;
}

StartupResult RunStartup(const char* commandLine, StartupHost& host) {
  StartupResult result;
  OptionList& options = result.options;
  if (!options.Parse(commandLine) || options.Has("-h") || options.Has("-H") ||
      options.Has("-?")) {
    ShowCheckerMessage(kUsageText);
    return result;
  }

  if (host.FindRunningChecker()) {
    if (options.Has("-x")) {
      host.CloseRunningChecker();
    } else if (const std::string* mode = options.Find("-d")) {
      switch (AtoiValue(*mode)) {
        case 0: host.CloseRunningChecker(); break;
        case 1: ShowCheckerMessage(kAlreadyRunning); return result;
        default: break;  // start beside it
      }
    } else {
      ShowCheckerMessage(kAlreadyRunning);
      return result;
    }
  }

  std::unique_ptr<AncestryPop3Controller> application = host.CreateApplication();
  if (!application) {
    ShowCheckerMessage("インスタンスの初期化に失敗しました.");
    return result;
  }
  const bool configuratorPresent = host.ConfiguratorPresent();

  std::string path = options.Value("-p");
  if (path.empty()) path = kDefaultParameterFile;
  // A save cut off at the last moment may have left only its work file.
  RecoverParameterFile(path);
  TextInput probe;
  if (!probe.Open(path)) {
    if (path != kDefaultParameterFile) {
      ShowCheckerMessage(path + " が読めません.");
      ShowCheckerMessage(kUsageText);
    } else if (configuratorPresent) {
      host.StartConfigurator();
    } else {
      ShowCheckerMessage("設定が未定義です.ｺﾝﾌｫｸﾞﾚｰﾀで設定して下さい.");
    }
    return result;
  }

  ParameterFileHeader header;
  if (ReadParameterFile(path, *application, &header) < 0) {
    ShowCheckerMessage("パラメータファイルの書式が誤っています.");
    return result;
  }
  result.parameterPath = path;
  if (options.Has("-s")) host.EnterSimulationMode();

  if (const char* message = AccountCountMessage(*application)) {
    ShowCheckerMessage(message);
    return result;
  }
  result.application = std::move(application);
  return result;
}

}  // namespace bw
