// Shared helpers of the unit tests: a scratch folder, whole-file reads and
// writes, and a collector for message boxes and log output.
#pragma once
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace bw_test {

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Text with every LF turned into CR LF, as the programs store it.
std::string Crlf(const std::string& text);

struct Box {
  std::string text;
  std::string caption;
  unsigned style;
};

// Gives each test its own scratch folder (current directory while it runs),
// collects message boxes and resets the log before and after.
class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  // Sets the log up on "test.log" in the scratch folder and returns its path.
  std::string StartLog(int limitKB = 1024);
  std::string LogText() const;

  std::vector<Box> boxes;

 private:
  std::string dir_;
  std::string oldCwd_;
};

}  // namespace bw_test
