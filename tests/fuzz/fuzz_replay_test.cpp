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
#include <utility>
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

struct Input {
  std::string name;
  std::string bytes;
};

// The files of `directory`, read.
std::vector<Input> ReadInputs(const std::string& directory) {
  std::vector<Input> inputs;
  for (const std::string& file : InputFiles(directory)) {
    Input input{Poco::Path(file).getFileName(), ""};
    Poco::FileInputStream stream(file);
    Poco::StreamCopier::copyToString(stream, input.bytes);
    inputs.push_back(std::move(input));
  }
  return inputs;
}

void Replay(const std::vector<Input>& inputs) {
  for (const Input& input : inputs) {
    std::fprintf(stderr, "input %s\n", input.name.c_str());
    LLVMFuzzerTestOneInput(
        reinterpret_cast<const std::uint8_t*>(input.bytes.data()),
        input.bytes.size());
  }
}

class FuzzReplayTest : public ::testing::Test {
 protected:
  // Once per program, before any input, as libFuzzer does. The inputs are
  // read first: a target may hide the checkout (a tmpfs over /tmp) when it
  // initialises.
  static void SetUpTestSuite() {
    seeds_ = ReadInputs(FUZZ_CORPUS_DIR);
    regressions_ = ReadInputs(FUZZ_REGRESSION_DIR);
    char name[] = "fuzz_replay_test";
    char* arguments[] = {name, nullptr};
    char** argv = arguments;
    int argc = 1;
    LLVMFuzzerInitialize(&argc, &argv);
  }

  static std::vector<Input> seeds_;
  static std::vector<Input> regressions_;
};

std::vector<Input> FuzzReplayTest::seeds_;
std::vector<Input> FuzzReplayTest::regressions_;

TEST_F(FuzzReplayTest, SeedsAndRegressionInputsRunClean) {
  EXPECT_GT(seeds_.size(), 0u) << "no seeds in " << FUZZ_CORPUS_DIR;
  Replay(seeds_);
  Replay(regressions_);
}

}  // namespace
}  // namespace tool
