// Log benchmark: the same listing written line by line and in one batch,
// and the checker's reading of a parameter file full of unknown keys (each
// one a log line). Prints the times and the ratio.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "common/core/controller_record.h"
#include "common/core/log.h"
#include "common/core/param_file.h"
#include "common/core/text_file.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A check's listing: dialogue lines, some written in two pieces.
double WriteListing(const std::string& path, int lines, bool batched) {
  bw::LogSetup(path, 16384);
  auto start = std::chrono::steady_clock::now();
  {
    bw::LogBatch* batch = batched ? new bw::LogBatch : nullptr;
    for (int i = 0; i < lines; ++i) {
      bw::LogWrite("POP3 <- %s", "+OK 1 320");
      bw::LogWrite(" [%d]\n", i);
    }
    delete batch;
  }
  return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::atoi(argv[1]) : 20000;
  const int keys = argc > 2 ? std::atoi(argv[2]) : 1000000;
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "bw-log-bench";
  fs::remove_all(dir);
  fs::create_directories(dir);

  const double perLine = WriteListing((dir / "one.log").string(), lines, false);
  const double batched = WriteListing((dir / "batch.log").string(), lines, true);
  std::string one, batch;
  bw::ReadFileBytes((dir / "one.log").string(), &one);
  bw::ReadFileBytes((dir / "batch.log").string(), &batch);
  std::printf("log: %d lines line by line %.3f s, batched %.3f s, ratio %.1f, same bytes: %s\n",
              lines, perLine, batched, batched > 0 ? perLine / batched : 0.0,
              one == batch ? "yes" : "NO");

  const std::string ini = (dir / "keys.ini").string();
  {
    bw::TextOutput out;
    if (!out.Open(ini)) return 1;
    out.Printf("LogFileName\t%s\nLogFileLimit\t16384\n", (dir / "keys.log").string().c_str());
    out.Write("AncestryPop3Controller::RingListClass\t{\n");
    for (int i = 0; i < keys; ++i) out.Printf("\tUnknownKey%d\tvalue\n", i);
    out.Write("}\n--EOF--\n");
    out.Close();
  }
  bw::AncestryPop3Controller controller;
  bw::ParameterFileHeader header;
  auto start = std::chrono::steady_clock::now();
  const int result = bw::ReadParameterFile(ini, controller, &header);
  std::printf("parameter file with %d unknown keys read in %.3f s (result %d)\n", keys,
              Seconds(start), result);
  bw::LogReset();
  fs::remove_all(dir);
  return one == batch && result == 0 ? 0 : 1;
}
