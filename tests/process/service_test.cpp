#include "process/service_test.h"

#include <regex>

#include "support/test_files.h"

namespace tool {
namespace testing {

int skyletExecutable = -1;
int wattletExecutable = -1;

const Deliverable kSkylet = {"Skylet", &skyletExecutable};
const Deliverable kWattlet = {"Wattlet", &wattletExecutable};

void PrintTo(const Deliverable& deliverable, std::ostream* out) {
  *out << deliverable.name;
}

std::string LogPath(const std::string& home, const Deliverable& deliverable) {
  return home + "/Log/Tool/" + deliverable.name + ".log";
}

std::vector<std::string> Messages(const std::string& text) {
  std::vector<std::string> messages;
  const std::regex layout(R"(^\[[^\]]*\] \[([A-Z]+)\] (.*)$)");
  for (const std::string& line : SplitLines(text)) {
    std::smatch match;
    messages.push_back(std::regex_match(line, match, layout)
                           ? match[1].str() + " " + match[2].str()
                           : "unexpected layout: " + line);
  }
  return messages;
}

std::string ServiceTest::StartAndAwait(const Deliverable& deliverable,
                                       const std::string& home) {
  process_.emplace(*deliverable.executable, deliverable.name, "/tmp");
  EXPECT_TRUE(process_->Start());
  const std::string log = LogPath(home, deliverable);
  EXPECT_TRUE(WaitForFileContaining(log, "StartLifecheck", kStartTimeout));
  return log;
}

void ServiceTest::StopInOrder(int stopSignal) {
  process_->Signal(stopSignal);
  EXPECT_EQ(process_->WaitForExit(kStopTimeout), 0);
}

}  // namespace testing
}  // namespace tool
