#include "process/com_fault_test_base.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "process/http_exchange.h"

namespace tool {
namespace testing {
namespace {

constexpr auto kRecordTimeout = std::chrono::seconds(2);

std::string WithId(int id, const std::string& command,
                   const std::string& rest) {
  return "<commandRequest id=\"" + std::to_string(id) + "\"><command>" +
         command + "</command>" + rest + "</commandRequest>";
}

}  // namespace

const ComTarget kSkyletTarget = {"Skylet", &kSkylet, ""};
const ComTarget kWattletCompowayTarget = {"WattletCompoWay", &kWattlet, "0"};
const ComTarget kWattletModbusTarget = {"WattletModbus", &kWattlet, "1"};

void PrintTo(const ComTarget& target, std::ostream* out) {
  *out << target.name;
}

std::string ComFaultTestBase::Device(int channel) const {
  const std::string prefix = std::to_string(channel) + ":";
  if (!HasRestart()) {
    // KM50 at node or slave address 5, baud code 3, parameter setting 4.
    return prefix + "km50:" +
           (std::string(target_->protocol) == "0" ? "compoway" : "modbus") +
           ":5:3:4";
  }
  // Weather sensor at slave address 10, baud setting 2, parameters 0.
  return prefix + "weather:10:2:0";
}

std::vector<std::string> ComFaultTestBase::Devices() const {
  return {Device(1), Device(2), Device(3)};
}

bool ComFaultTestBase::HasRestart() const {
  return target_->deliverable == &kSkylet;
}

std::string ComFaultTestBase::Check(int channel, int* id) {
  *id = nextId_++;
  const std::string ch = std::to_string(channel);
  if (HasRestart()) {
    return WithId(*id, "CheckConnectionForWeatherSensor",
                  RequestItems({ch, "2", "10", "0"}));
  }
  return WithId(*id, "CheckConnectionForKM50",
                RequestItems({ch, target_->protocol, "3", "5", "4"}));
}

std::string ComFaultTestBase::Update(int* id) {
  *id = nextId_++;
  if (HasRestart()) {
    return WithId(*id, "UpdateSettingsForWeatherSensor",
                  RequestItems({"2", "10", "0"}));
  }
  return WithId(*id, "UpdateSettingsForKM50", RequestItems({"3", "5", "4"}));
}

std::string ComFaultTestBase::Restart(int* id) {
  *id = nextId_++;
  return WithId(*id, "RestartForWeatherSensor", "");
}

std::string ComFaultTestBase::Reply(int id, bool success) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<commandResponse id=\"" +
         std::to_string(id) + "\">\n\t<status>" +
         (success ? "SUCCESS" : "FAILURE") + "</status>\n</commandResponse>\n";
}

void ComFaultTestBase::ExpectSuccess(const std::string& request, int id) {
  EXPECT_EQ(Post(request), Reply(id, true));
}

TimedReply ComFaultTestBase::TimedPost(const std::string& request,
                                       std::chrono::milliseconds timeout) {
  const auto begin = std::chrono::steady_clock::now();
  TimedReply reply;
  reply.body = HttpExchange(PostRequest(request), timeout).body;
  reply.took = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - begin);
  return reply;
}

std::future<TimedReply> ComFaultTestBase::PostAsync(
    const std::string& request, std::chrono::milliseconds timeout) {
  return std::async(std::launch::async,
                    [request, timeout] { return TimedPost(request, timeout); });
}

bool ComFaultTestBase::AwaitRecord(const std::string& line) const {
  return WaitUntil([&] { return CountRecords(line) > 0; }, kRecordTimeout);
}

int ComFaultTestBase::CountRecords(const std::string& line) const {
  const std::vector<std::string> lines = standIn_->RecordLines();
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

}  // namespace testing
}  // namespace tool
