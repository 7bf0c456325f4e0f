#include "server/device_scan_command.h"

#include <Poco/Format.h>
#include <Poco/NumberFormatter.h>

#include <system_error>
#include <thread>
#include <utility>

#include "log/logger_log.h"
#include "protocol/frame_list.h"
#include "server/command_detail_element.h"
#include "server/command_response_element.h"
#include "server/response_data_element.h"
#include "server/scan_setting_list.h"

namespace tool {

namespace {

constexpr char kBadItemCode[] = "400";

std::string Range(int min, int max) { return Poco::format("%d-%d", min, max); }

std::string ChannelText(const std::vector<int>& channels) {
  std::string text;
  for (int channel : channels) {
    if (!text.empty()) text += ",";
    text += std::to_string(channel);
  }
  return text;
}

}  // namespace

struct DeviceScanCommand::ChannelResult {
  bool found = false;
  DeviceConnectionParams device = {};
  int probes = 0;
  // False when the budget or a stop ended the search before it had tried
  // every line setting.
  bool complete = true;
};

void DeviceScanCommand::SetTagValue(const std::string& tag,
                                    const std::string& value) {
  items_[tag] = value;
}

std::string DeviceScanCommand::BadItemMessage(const std::string& tag, int min,
                                              int max) const {
  const auto item = items_.find(tag);
  return "requestData item " + tag + " is not valid: \"" +
         (item == items_.end() ? "" : item->second) +
         "\" (allowed: " + Range(min, max) + ")";
}

bool DeviceScanCommand::HasItem(const std::string& tag) const {
  return items_.count(tag) != 0;
}

bool DeviceScanCommand::ReadList(const std::string& tag, int min, int max,
                                 const std::vector<int>& defaults,
                                 std::vector<int>* values,
                                 std::string* message) const {
  const auto item = items_.find(tag);
  if (item == items_.end()) {
    *values = defaults;
    return true;
  }
  if (ScanSettingList::Parse(item->second, min, max, values)) return true;
  *message = BadItemMessage(tag, min, max);
  return false;
}

bool DeviceScanCommand::ReadChannelsAndBudget(const std::string& tag,
                                              const std::string& budgetTag,
                                              Plan* plan,
                                              std::string* message) const {
  if (!ReadList(tag, kMinChannel, kMaxChannel, {1, 2, 3}, &plan->channels,
                message)) {
    return false;
  }
  // The budget is one number: a list or range of them is malformed too.
  std::vector<int> budget;
  if (!ReadList(budgetTag, 1, kMaxBudgetSeconds, {kDefaultBudgetSeconds},
                &budget, message)) {
    return false;
  }
  if (budget.size() != 1) {
    *message = BadItemMessage(budgetTag, 1, kMaxBudgetSeconds);
    return false;
  }
  plan->budgetSeconds = budget.front();
  return true;
}

void DeviceScanCommand::DescribeDevice(const DeviceConnectionParams& found,
                                       SimpleElement* device) const {
  device->SetAttribute("channel", std::to_string(found.channel));
  device->SetAttribute("baudrate", std::to_string(found.baudrate));
  device->SetAttribute("address", std::to_string(found.address));
  device->SetAttribute("param", std::to_string(found.param));
}

void DeviceScanCommand::SearchChannel(
    int channel, const Plan& plan,
    std::chrono::steady_clock::time_point deadline, ChannelResult* result) {
  const std::function<bool()> keepGoing = [this, deadline] {
    return std::chrono::steady_clock::now() < deadline &&
           device_.PauseUnlessStopped(0);
  };
  for (const Line& line : plan.lines) {
    if (!keepGoing()) {
      result->complete = false;
      return;
    }
    FrameList frames;
    std::vector<int> addresses;
    for (int address : line.addresses) {
      const std::shared_ptr<ByteDataHolder> probe =
          CreateProbe(line.checkKind, address);
      if (!probe) {
        LoggerLog::Error(LogTag(), "Execute Send Data Create Error.");
        continue;
      }
      frames.Add(*probe);
      addresses.push_back(address);
    }
    if (addresses.empty()) continue;
    DeviceConnectionParams params = {line.checkKind, channel, line.baudrate,
                                     addresses.front(), line.param};
    int sent = 0;
    const int answered =
        device_.ProbeUntilAnswered(params, addresses, frames.GetDataList(),
                                   frames.GetSizeList(), keepGoing, &sent);
    result->probes += sent;
    if (answered >= 0 && answered < static_cast<int>(addresses.size())) {
      params.address = addresses[answered];
      result->found = true;
      result->device = params;
      LoggerLog::Info(
          LogTag(),
          Poco::format("Execute device found ch:%d, baudrate:%d, address:%d, "
                       "param:%d, kind:%d",
                       params.channel, params.baudrate, params.address,
                       params.param, params.checkKind));
      return;
    }
    if (sent < static_cast<int>(addresses.size())) {
      result->complete = false;
      return;
    }
  }
}

std::shared_ptr<SendReplyCommand> DeviceScanCommand::Execute() {
  const char* tag = LogTag();
  // Every item is optional, so a request without requestData scans with
  // the defaults.
  if (requestData_ != nullptr) ReadRequestItems(tag);
  Plan plan;
  std::string message;
  if (!MakePlan(&plan, &message)) {
    LoggerLog::Error(tag, "Execute " + message);
    LoggerLog::Debug(tag, "### Create failed reply");
    return std::make_shared<SendReplyCommand>(
        CommandResponseElement::CreateResponseDocument(
            false, requestId_,
            std::make_shared<CommandDetailElement>(kBadItemCode, message),
            nullptr));
  }
  LoggerLog::Info(
      tag,
      Poco::format("Execute scan start ch:%s, lines:%d, budget:%d",
                   ChannelText(plan.channels),
                   static_cast<int>(plan.lines.size()), plan.budgetSeconds));

  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + std::chrono::seconds(plan.budgetSeconds);
  std::vector<ChannelResult> results(plan.channels.size());
  std::vector<std::thread> searches;
  // The first channel is searched on the request's own thread, the others
  // alongside; a thread that cannot be started leaves its channel to this
  // thread, after the first.
  std::vector<std::size_t> inlineSearches = {0};
  for (std::size_t i = 1; i < plan.channels.size(); ++i) {
    try {
      searches.emplace_back([this, &plan, &results, deadline, i] {
        SearchChannel(plan.channels[i], plan, deadline, &results[i]);
      });
    } catch (const std::system_error& e) {
      LoggerLog::Error(
          tag, std::string("Execute thread not started. [") + e.what() + "]");
      inlineSearches.push_back(i);
    }
  }
  if (!plan.channels.empty()) {
    for (std::size_t i : inlineSearches) {
      SearchChannel(plan.channels[i], plan, deadline, &results[i]);
    }
  }
  for (std::thread& search : searches) search.join();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();

  const bool stopped = !device_.PauseUnlessStopped(0);
  int probes = 0;
  bool complete = !stopped;
  auto responseData = std::make_shared<ResponseDataElement>();
  const ChannelResult* first = nullptr;
  for (const ChannelResult& result : results) {
    probes += result.probes;
    complete = complete && result.complete;
    if (!result.found) continue;
    if (first == nullptr) first = &result;
    auto device = std::make_shared<SimpleElement>("device", "");
    DescribeDevice(result.device, device.get());
    responseData->AddChild(device);
  }
  auto scan = std::make_shared<SimpleElement>("scan", "");
  scan->SetAttribute("probes", std::to_string(probes));
  scan->SetAttribute("seconds", Poco::NumberFormatter::format(seconds, 1));
  scan->SetAttribute("complete", complete ? "true" : "false");
  responseData->AddChild(scan);
  LoggerLog::Info(
      tag, Poco::format("Execute scan end probes:%d, seconds:%s, %s", probes,
                        Poco::NumberFormatter::format(seconds, 1),
                        std::string(complete ? "complete" : "incomplete")));

  const bool success = first != nullptr && !stopped;
  if (success) {
    device_.SetConnectedParams(first->device);
    LoggerLog::Debug(tag, "### Create success reply");
  } else {
    LoggerLog::Debug(tag, "### Create failed reply");
  }
  return std::make_shared<SendReplyCommand>(
      CommandResponseElement::CreateResponseDocument(success, requestId_,
                                                     nullptr, responseData));
}

}  // namespace tool
