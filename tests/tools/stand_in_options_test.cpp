// Reads the stand-in's command line as main does, for the options whose
// values the process tests do not look into one by one.
#include "rs485_stand_in/stand_in_options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace stand_in {
namespace {

// Parses `arguments` after a program name into `*options`; returns the
// error, empty on success.
std::string Parse(const std::vector<std::string>& arguments,
                  StandInOptions* options) {
  std::vector<const char*> argv = {"rs485_stand_in"};
  for (const std::string& argument : arguments) {
    argv.push_back(argument.c_str());
  }
  std::string error;
  const bool parsed = ParseStandInOptions(static_cast<int>(argv.size()),
                                          argv.data(), options, &error);
  EXPECT_EQ(parsed, error.empty()) << error;
  return parsed ? "" : error;
}

TEST(StandInOptionsTest, SilenceIsZeroUnlessGiven) {
  StandInOptions options;
  EXPECT_EQ(Parse({"--device", "1:echo"}, &options), "");
  EXPECT_EQ(options.silenceMs, 0u);
}

TEST(StandInOptionsTest, ReadsSilenceInBothSpellings) {
  struct Case {
    std::vector<std::string> arguments;
    uint32_t silenceMs;
  };
  const Case cases[] = {
      {{"--silence-ms", "200"}, 200},
      {{"--silence-ms=200"}, 200},
      {{"--silence-ms", "0"}, 0},
      {{"--silence-ms=60000"}, 60000},
      {{"--silence-ms", "0500"}, 500},
      // The last one counts, as for --socket.
      {{"--silence-ms", "5", "--silence-ms=7"}, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    StandInOptions options;
    EXPECT_EQ(Parse(c.arguments, &options), "");
    EXPECT_EQ(options.silenceMs, c.silenceMs);
  }
}

TEST(StandInOptionsTest, RejectsSilenceOutsideZeroToOneMinute) {
  const std::vector<std::vector<std::string>> cases = {
      {"--silence-ms", "60001"},
      {"--silence-ms", "-1"},
      {"--silence-ms", "+5"},
      {"--silence-ms", "1.5"},
      {"--silence-ms", "200ms"},
      {"--silence-ms", " 200"},
      {"--silence-ms", "99999999999999999999"},
      {"--silence-ms="},
      {"--silence-ms", ""},
  };
  for (const auto& arguments : cases) {
    SCOPED_TRACE(arguments.back());
    StandInOptions options;
    const std::string error = Parse(arguments, &options);
    EXPECT_NE(error.find("--silence-ms"), std::string::npos) << error;
    EXPECT_NE(error.find("60000"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

TEST(StandInOptionsTest, SilenceNeedsAValue) {
  StandInOptions options;
  EXPECT_EQ(Parse({"--silence-ms"}, &options), "--silence-ms needs a value");
}

TEST(StandInOptionsTest, UsageShowsSilence) {
  const std::string usage = StandInUsage();
  EXPECT_NE(usage.find("[--silence-ms N]"), std::string::npos) << usage;
  EXPECT_NE(usage.find("  --silence-ms N "), std::string::npos) << usage;
}

}  // namespace
}  // namespace stand_in
