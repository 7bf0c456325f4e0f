// Runs one fuzz target's seed corpus and its regression inputs (the inputs
// that once made it fail) through the target's own entry code, in the
// ordinary build. A broken rule ends the program, which fails the test; the
// line before names the input.
#include <Poco/DirectoryIterator.h>
#include <Poco/File.h>
#include <Poco/FileStream.h>
#include <Poco/Path.h>
#include <Poco/StreamCopier.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/fuzz_target.h"

namespace tool {
namespace {

// The files of `directory`, sorted by name; none when it does not exist.
std::vector<std::string> InputFiles(const std::string& directory) {
  std::vector<std::string> files;
  if (!Poco::File(directory).exists()) return files;
  for (Poco::DirectoryIterator it(directory), end; it != end; ++it) {
    if (it->isFile()) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Runs every file of `directory`; returns how many there were.
std::size_t Replay(const std::string& directory) {
  const std::vector<std::string> files = InputFiles(directory);
  for (const std::string& file : files) {
    std::string bytes;
    Poco::FileInputStream stream(file);
    Poco::StreamCopier::copyToString(stream, bytes);
    std::fprintf(stderr, "input %s\n", Poco::Path(file).getFileName().c_str());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           bytes.size());
  }
  return files.size();
}

class FuzzReplayTest : public ::testing::Test {
 protected:
  // Once per program, before any input, as libFuzzer does.
  static void SetUpTestSuite() {
    char name[] = "fuzz_replay_test";
    char* arguments[] = {name, nullptr};
    char** argv = arguments;
    int argc = 1;
    LLVMFuzzerInitialize(&argc, &argv);
  }
};

TEST_F(FuzzReplayTest, SeedsAndRegressionInputsRunClean) {
  EXPECT_GT(Replay(FUZZ_CORPUS_DIR), 0u) << "no seeds in " << FUZZ_CORPUS_DIR;
  Replay(FUZZ_REGRESSION_DIR);
}

}  // namespace
}  // namespace tool
