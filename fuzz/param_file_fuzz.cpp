// Feeds arbitrary bytes to the parameter-file readers, the writer and the
// command-line tokenizer: every input must end in a defined result.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/core/command_line.h"
#include "common/core/param_file.h"
#include "platform/message_box.h"

namespace {
int SilentBox(void*, const std::string&, const std::string&, unsigned) { return bw::kIdOk; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  bw::SetMessageBoxHandler(SilentBox, nullptr);
  std::string bytes(reinterpret_cast<const char*>(data), size);

  {
    // The reader sets the log up on the file the input names, which deletes
    // that file: never let generated input name one.
    std::string fileInput = bytes;
    for (size_t at = 0; (at = fileInput.find("LogFileName", at)) != std::string::npos; ++at)
      fileInput[at] = 'l';
    bw::TextInput in(fileInput);
    bw::AncestryPop3Controller controller;
    bw::ParameterFileHeader header;
    if (bw::ReadParameterFile(in, controller, &header) >= 0) {
      // Write what was read and read it once more: the writer's output is
      // itself parser input.
      bw::TextOutput out;
      controller.WriteBlock(out, 0);
      bw::TextInput again(out.Bytes());
      bw::AncestryPop3Controller reread;
      bw::ParameterFileHeader rereadHeader;
      bw::ReadParameterFile(again, reread, &rereadHeader);
    }
  }
  {
    bw::OptionList options;
    options.Parse(bytes.c_str());
    bw::SkipProgramName(bytes.c_str());
  }
  return 0;
}
