// Parameter file as a whole: start-up reading, loading, saving.
#include "common/core/param_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "common/core/log.h"
#include "common/core/param_syntax.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/secret.h"

namespace bw {
namespace {

const char kControllerClass[] = "AncestryPop3Controller::RingListClass";
const char kConfiguratorCaption[] = "Knobset";

void ShowConfiguratorBox(const std::string& text, unsigned style = kMbOk) {
  ShowMessageBox(text, kConfiguratorCaption, style);
}

// Whether `bytes` read as a whole file: every block opened is closed, the
// controller block among them, and the end marker stands after them.
bool IsCompleteParameterText(std::string bytes) {
  TextInput in(std::move(bytes));
  BlockLine line;
  int depth = 0;
  bool controllerRead = false;
  while (ReadBlockLine(in, &line)) {
    if (std::strcmp(line.key, "--EOF--") == 0) return depth == 0 && controllerRead;
    if (std::strcmp(line.value, "{") == 0) {
      if (depth++ == 0 && std::strcmp(line.key, kControllerClass) == 0) controllerRead = true;
    } else if (std::strcmp(line.key, "}") == 0 || std::strcmp(line.value, "}") == 0) {
      if (--depth < 0) return false;
    }
  }
  return false;
}

}  // namespace

bool RecoverParameterFile(const std::string& path) {
  const std::string target = PlatformResolveLinks(path);
  std::uint64_t size;
  if (PlatformFileSize(target, &size)) return false;
  const std::string work = target + "_new";
  std::string bytes;
  if (!ReadFileBytes(work, &bytes) || !IsCompleteParameterText(std::move(bytes))) return false;
  return PlatformReplaceFile(work, target);
}

int ReadParameterFile(const std::string& path, AncestryPop3Controller& controller,
                      ParameterFileHeader* header) {
  RecoverParameterFile(path);
  TextInput in;
  if (!in.Open(path)) {
    header->fileVersion.clear();
    header->logFileName.clear();
    header->logFileLimit = 16384;
    return -1;
  }
  const int result = ReadParameterFile(in, controller, header);
  // A refresh token in the clear is as good as a password: warned about as
  // ssh warns about a key file others can read (saves make it owner-only).
  unsigned mode = 0;
  if (result >= 0 && HoldsToken(controller) && PlatformOthersMayRead(path, &mode))
    LogWrite("パラメータファイル %s は他のﾕｰｻﾞも読めます(ﾓｰﾄﾞ%04o). OAuthのﾄｰｸﾝを守るため, 所有者だけが読めるようにしてください"
             "(chmod 600).\n",
             path.c_str(), mode);
  return result;
}

int ReadParameterFile(TextInput& in, AncestryPop3Controller& controller,
                      ParameterFileHeader* header) {
  // A file full of unknown keys would otherwise open and close the log once
  // per line.
  LogBatch batch;
  header->fileVersion.clear();
  header->logFileName.clear();
  header->logFileLimit = 16384;
  BlockLine line;
  for (;;) {
    if (!ReadBlockLine(in, &line)) return -1;
    if (std::strcmp(line.key, "--EOF--") == 0) return 0;
    if (std::strcmp(line.value, "{") != 0) {
      if (std::strcmp(line.key, "FileVersion") == 0) header->fileVersion = line.value;
      else if (std::strcmp(line.key, "LogFileName") == 0) header->logFileName = line.value;
      else if (std::strcmp(line.key, "LogFileLimit") == 0) header->logFileLimit = AtoiValue(line.value);
      continue;
    }
    // Each class block opening sets the log up again, so only settings that
    // stand before the first block take effect.
    if (!header->logFileName.empty() && header->logFileLimit > 0)
      LogSetup(header->logFileName, header->logFileLimit);
    if (std::strcmp(line.key, kControllerClass) != 0) {
      LogWrite("クラス [%s] は認識できません.\n", line.key);
      continue;
    }
    return controller.ReadBlock(in);
  }
}

std::unique_ptr<AncestryPop3Controller> LoadParameterFile(const std::string& path,
                                                          ParameterFileHeader* header) {
  header->fileVersion = FormatInt("0x%04X", kFileVersion);
  header->logFileName.clear();
  header->logFileLimit = 0;

  RecoverParameterFile(path);
  TextInput in;
  if (!in.Open(path)) return nullptr;
  BlockLine line;
  while (ReadBlockLine(in, &line)) {
    if (std::strcmp(line.key, "--EOF--") == 0) break;
    if (std::strcmp(line.value, "{") == 0) {
      if (std::strcmp(line.key, kControllerClass) != 0) {
        char text[kLineBufferSize + 64];
        std::snprintf(text, sizeof text, "クラス [%s] は認識できません.", line.key);
        ShowConfiguratorBox(text);
        continue;
      }
      std::unique_ptr<AncestryPop3Controller> controller(new (std::nothrow) AncestryPop3Controller());
      if (!controller) {
        ShowConfiguratorBox("メモリが足りません.");
        return nullptr;
      }
      // Whatever was read up to a format error is kept for editing.
      controller->ReadBlock(in);
      return controller;
    }
    if (std::strcmp(line.key, "FileVersion") == 0) {
      header->fileVersion = line.value;
      // Text that is not a hexadecimal number reads as version 0.
      unsigned long version = std::strtoul(line.value, nullptr, 16);
      if (version > static_cast<unsigned long>(kFileVersion))
        ShowConfiguratorBox("ファイルバージョンが違います\r\nパラメータ保存が全部できない恐れがあります.");
    } else if (std::strcmp(line.key, "LogFileName") == 0) {
      header->logFileName = line.value;
    } else if (std::strcmp(line.key, "LogFileLimit") == 0) {
      header->logFileLimit = AtoiValue(line.value);
    }
  }
  return nullptr;
}

std::unique_ptr<AncestryPop3Controller> NewParameterSet() {
  std::unique_ptr<AncestryPop3Controller> controller(new (std::nothrow) AncestryPop3Controller());
  if (!controller) return nullptr;
  controller->ApplyDefaults();
  controller->ParseValues();
  controller->ProtectPasswords = 1;
  return controller;
}

bool CheckListLimits(const AncestryPop3Controller& controller) {
  int accounts = RingCount(controller.accountHead);
  const char* message = nullptr;
  if (accounts < 1) message = "接続先は１箇所以上設定して下さい.";
  else if (accounts > 256) message = "接続先は２５６箇所までしか登録できません.";
  else if (RingCount(controller.menuHead) > 9) message = "メニューは９件までしか登録できません.";
  else if (RingCount(controller.autoExecHead) > 16) message = "自動実行ｱﾌﾟﾘは１６件までしか登録できません.";
  if (!message) return true;
  ShowConfiguratorBox(message);
  return false;
}

bool SaveParameterFile(const std::string& path, const std::string& logFileName,
                       int logFileLimit, AncestryPop3Controller& controller,
                       void (*afterSave)(void*), void* context) {
  if (!CheckListLimits(controller)) return false;
  RecoverParameterFile(path);
  // The new file is written beside the old one and moved over it only when
  // complete, so a failed or interrupted save never leaves a cut-off file.
  FileReplacement replacement(path);
  // Where passwords cannot be protected they are kept as the token is:
  // in a file for its owner only.
  bool ok = replacement.Open(HoldsToken(controller) || (controller.ProtectPasswords && !net::SecretsAreProtected()));
  if (ok) {
    TextOutput& out = replacement.Out();
    out.Write(";Bellwick\n");
    out.Printf("FileVersion\t%s\n", FormatInt("0x%04x", kFileVersion).c_str());
    out.Printf("LogFileName\t%s\n", logFileName.c_str());
    out.Printf("LogFileLimit\t%d\n", logFileLimit);
    controller.WriteBlock(out, 0);
    out.Write("--EOF--\n");
    // A write that failed part-way (disk full) or a move that failed is
    // reported like a file that could not be created, never as saved.
    ok = replacement.Commit();
  }
  // A read-only file is refused with the same message, untouched.
  if (!ok) {
    ShowConfiguratorBox(path + " ファイルが作成できません.");
    return false;
  }
  if (afterSave) afterSave(context);
  ShowConfiguratorBox("保存しました.", kMbIconInformation);
  return true;
}

bool HoldsToken(const AncestryPop3Controller& controller) {
  bool holds = false;
  WalkRing(controller.accountHead, [&holds](AncestryPop3Checker* a) { holds = holds || !a->OAuthToken.empty(); });
  return holds;
}

}  // namespace bw
