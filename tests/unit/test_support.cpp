// Unit-test helpers (see test_support.h).
#include "tests/unit/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/core/log.h"
#include "platform/message_box.h"

namespace bw_test {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

namespace {
int Collect(void* context, const std::string& text, const std::string& caption,
            unsigned style) {
  static_cast<std::vector<Box>*>(context)->push_back(Box{text, caption, style});
  return bw::kIdOk;
}
}  // namespace

void ScratchTest::SetUp() {
  namespace fs = std::filesystem;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path base = fs::temp_directory_path() / "bw-tests";
  fs::path dir = base / (std::string(info->test_suite_name()) + "." + info->name());
  fs::remove_all(dir);
  fs::create_directories(dir);
  dir_ = dir.string();
  oldCwd_ = fs::current_path().string();
  fs::current_path(dir);
  bw::LogReset();
  bw::SetMessageBoxHandler(Collect, &boxes);
}

void ScratchTest::TearDown() {
  bw::SetMessageBoxHandler(nullptr, nullptr);
  bw::LogReset();
  std::filesystem::current_path(oldCwd_);
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string ScratchTest::StartLog(int limitKB) {
  bw::LogSetup(Path("test.log"), limitKB);
  return Path("test.log");
}

std::string ScratchTest::LogText() const { return ReadBytes(dir_ + "/test.log"); }

}  // namespace bw_test
