// bellwick-param: the parameter-file operations of both programs from the
// command line, for users who script their configuration (and for tests).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "checker/core/startup.h"
#include "common/core/log.h"
#include "common/core/param_file.h"
#include "common/core/param_rewrite.h"
#include "common/core/text_file.h"
#include "platform/console_text.h"
#include "platform/message_box.h"
#include "tools/print_box.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: bellwick-param load-save IN OUT\n"
               "       bellwick-param check IN\n"
               "       bellwick-param geometry FILE X Y W H [TIMES]\n");
  return 2;
}

bool ParseInt(const char* text, int* value) {
  char* end;
  long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < -2147483647L - 1 || v > 2147483647L) return false;
  *value = static_cast<int>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  bw::SetMessageBoxHandler(bw::PrintBox, nullptr);
  if (argc < 2) return Usage();
  std::string command = argv[1];

  if (command == "load-save" && argc == 4) {
    bw::ParameterFileHeader header;
    auto controller = bw::LoadParameterFile(argv[2], &header);
    if (!controller) {
      std::fprintf(stderr, "%s: nothing loaded\n", argv[2]);
      return 1;
    }
    return bw::SaveParameterFile(argv[3], header.logFileName, header.logFileLimit, *controller)
               ? 0
               : 1;
  }
  if (command == "check" && argc == 3) {
    bw::AncestryPop3Controller controller;
    bw::ParameterFileHeader header;
    bw::TextInput probe;
    bw::RecoverParameterFile(argv[2]);
    if (!probe.Open(argv[2])) {
      std::printf("%s\n", bw::Cp932ToUtf8(std::string(argv[2]) + " が読めません.").c_str());
      return 1;
    }
    if (bw::ReadParameterFile(argv[2], controller, &header) < 0) {
      std::printf("%s\n", bw::Cp932ToUtf8("パラメータファイルの書式が誤っています.").c_str());
      return 1;
    }
    if (const char* message = bw::AccountCountMessage(controller)) {
      std::printf("%s\n", bw::Cp932ToUtf8(message).c_str());
      return 1;
    }
    std::printf("accounts=%d\n", controller.AccountCount());
    return 0;
  }
  // TIMES repeats the rewrite (the kill test interrupts it at random).
  if (command == "geometry" && (argc == 7 || argc == 8)) {
    bw::AncestryPop3Controller controller;
    int times = 1;
    if (!ParseInt(argv[3], &controller.windowX) || !ParseInt(argv[4], &controller.windowY) ||
        !ParseInt(argv[5], &controller.windowWidthSetting) ||
        !ParseInt(argv[6], &controller.windowHeightSetting) || (argc == 8 && !ParseInt(argv[7], &times)) ||
        times < 1)
      return Usage();
    const std::string path = argv[2];
    for (int i = 0; i < times; ++i) {
      switch (bw::SaveGeometry(controller, path)) {
        case bw::GeometrySave::kSaved:
          continue;
        case bw::GeometrySave::kNoFile:
          std::fprintf(stderr, "%s\n", bw::Cp932ToUtf8(path + " が読めません.").c_str());
          return 1;
        case bw::GeometrySave::kNotCreated:  // the save has printed its box
          return 1;
        case bw::GeometrySave::kNotWritten:
          std::fprintf(stderr, "%s\n", bw::Cp932ToUtf8("ジオメトリ保存失敗[" + path + "_new]").c_str());
          return 1;
      }
    }
    return 0;
  }
  return Usage();
}
