// A commandRequest from its body to the text of its reply: the XML parsed
// into its command, the command run against a device that always answers,
// and the commandResponse rendered. Each service's commands come from its
// own profile.
#include <Poco/AutoPtr.h>
#include <Poco/DOM/Document.h>
#include <Poco/DOM/Element.h>
#include <Poco/XML/NamePool.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "command/km50/wattlet_profile.h"
#include "command/weather/skylet_profile.h"
#include "rs485/device_connection_params.h"
#include "rs485/device_setting_interface.h"
#include "rs485/send_device_setting_command_result.h"
#include "server/command_response_element.h"
#include "server/failed_request_command.h"
#include "server/product_profile.h"
#include "server/receive_request_command_executor.h"
#include "server/send_reply_command.h"

namespace tool::bench {
namespace {

// Answers every frame well and keeps the line settings, with no line
// behind it: a command runs its whole success path and only its own work
// is timed. One thread at a time.
class AnsweringDevice : public DeviceSettingInterface {
 public:
  explicit AnsweringDevice(const DeviceConnectionParams& connected)
      : connected_(connected) {}

  bool DeviceSettingConnection(const DeviceConnectionParams&,
                               const std::vector<const std::uint8_t*>& datalist,
                               const std::vector<int>& sizelist) override {
    return !datalist.empty() && datalist.size() == sizelist.size();
  }
  bool DeviceSettingConnectionUntilSuccess(
      const DeviceConnectionParams& params,
      const std::vector<const std::uint8_t*>& datalist,
      const std::vector<int>& sizelist) override {
    return DeviceSettingConnection(params, datalist, sizelist);
  }
  void SetConnectedParams(const DeviceConnectionParams& params) override {
    connected_ = params;
  }
  DeviceConnectionParams GetConnectedParams() const override {
    return connected_;
  }

 private:
  DeviceConnectionParams connected_;
};

// Where the update commands find their device: channel 1, baud-rate setting
// 3, address 1, serial parameters 2, in the service's own protocol.
DeviceConnectionParams Connected(const ProductProfile& profile) {
  return {profile.checkKind, 1, 3, 1, 2};
}

constexpr char kSkyletCheck[] =
    "<commandRequest id=\"7\"><command>CheckConnectionForWeatherSensor"
    "</command><requestData><item x=\"1\">1</item><item x=\"2\">2</item>"
    "<item x=\"3\">10</item><item x=\"4\">0</item></requestData>"
    "</commandRequest>";
constexpr char kSkyletUpdate[] =
    "<commandRequest id=\"8\"><command>UpdateSettingsForWeatherSensor"
    "</command><requestData><item x=\"1\">3</item><item x=\"2\">11</item>"
    "<item x=\"3\">0</item></requestData></commandRequest>";
// Protocol 0: CompoWay/F.
constexpr char kWattletCheckCompoway[] =
    "<commandRequest id=\"7\"><command>CheckConnectionForKM50</command>"
    "<requestData><item x=\"1\">1</item><item x=\"2\">0</item>"
    "<item x=\"3\">3</item><item x=\"4\">1</item><item x=\"5\">2</item>"
    "</requestData></commandRequest>";
constexpr char kWattletCheckModbus[] =
    "<commandRequest id=\"7\"><command>CheckConnectionForKM50</command>"
    "<requestData><item x=\"1\">1</item><item x=\"2\">1</item>"
    "<item x=\"3\">3</item><item x=\"4\">1</item><item x=\"5\">2</item>"
    "</requestData></commandRequest>";
// Six frames: setting mode, four writes, apply.
constexpr char kWattletUpdate[] =
    "<commandRequest id=\"8\"><command>UpdateSettingsForKM50</command>"
    "<requestData><item x=\"1\">3</item><item x=\"2\">1</item>"
    "<item x=\"3\">2</item></requestData></commandRequest>";
constexpr char kUnknownCommand[] =
    "<commandRequest id=\"9\"><command>NoSuchCommand</command>"
    "</commandRequest>";
constexpr char kCutShort[] =
    "<commandRequest id=\"7\"><command>CheckConnectionForWeatherSensor"
    "</command><requestData><item x=\"1\">1";

constexpr char kSuccess[] = "<status>SUCCESS</status>";
constexpr char kFailure[] = "<status>FAILURE</status>";

// The request's command, made from `document` as ExecuteRequest makes it.
std::shared_ptr<ReceiveRequestCommand> CommandOf(
    const ReceiveRequestCommandExecutor& executor,
    Poco::XML::Document& document) {
  Poco::XML::Node* command = document.getNodeByPath("/commandRequest/command");
  const auto* root = static_cast<const Poco::XML::Element*>(
      document.getNodeByPath("/commandRequest"));
  return executor.CreateRequestCommand(
      root->getAttribute("id"), command->innerText(),
      document.getNodeByPath("/commandRequest/requestData"));
}

// The body parsed and its command made, not run.
void BM_ParseRequest(benchmark::State& state, const ProductProfile& profile,
                     const std::string& body) {
  AnsweringDevice device(Connected(profile));
  const ReceiveRequestCommandExecutor executor(profile.commands, device);
  for (auto _ : state) {
    Poco::AutoPtr<Poco::XML::Document> document =
        ReceiveRequestCommandExecutor::ParseRequestBody(body);
    auto command = CommandOf(executor, *document);
    benchmark::DoNotOptimize(command);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(body.size()));
}
BENCHMARK_CAPTURE(BM_ParseRequest, SkyletCheck, skylet::kSkyletProfile,
                  kSkyletCheck);
BENCHMARK_CAPTURE(BM_ParseRequest, WattletCheck, wattlet::kWattletProfile,
                  kWattletCheckCompoway);

// The command of a body parsed once, made and run, to its reply text: the
// request's work less the parsing.
void BM_ExecuteCommand(benchmark::State& state, const ProductProfile& profile,
                       const std::string& body) {
  AnsweringDevice device(Connected(profile));
  const ReceiveRequestCommandExecutor executor(profile.commands, device);
  Poco::AutoPtr<Poco::XML::Document> document =
      ReceiveRequestCommandExecutor::ParseRequestBody(body);
  const auto check = CommandOf(executor, *document)->Execute();
  if (!check || check->GetReplyXml().find(kSuccess) == std::string::npos) {
    state.SkipWithError("the command does not succeed");
    return;
  }
  for (auto _ : state) {
    std::string reply =
        CommandOf(executor, *document)->Execute()->GetReplyXml();
    benchmark::DoNotOptimize(reply);
  }
}
BENCHMARK_CAPTURE(BM_ExecuteCommand, SkyletCheck, skylet::kSkyletProfile,
                  kSkyletCheck);
BENCHMARK_CAPTURE(BM_ExecuteCommand, WattletCheckCompowayF,
                  wattlet::kWattletProfile, kWattletCheckCompoway);

// The whole of a request as the HTTP handler hands it over: body in, reply
// text out.
void BM_ExecuteRequest(benchmark::State& state, const ProductProfile& profile,
                       const std::string& body, const char* status) {
  AnsweringDevice device(Connected(profile));
  const ReceiveRequestCommandExecutor executor(profile.commands, device);
  if (executor.ExecuteRequest(body).find(status) == std::string::npos) {
    state.SkipWithError("the request is not answered as the service answers");
    return;
  }
  for (auto _ : state) {
    std::string reply = executor.ExecuteRequest(body);
    benchmark::DoNotOptimize(reply);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(body.size()));
}
BENCHMARK_CAPTURE(BM_ExecuteRequest, SkyletCheck, skylet::kSkyletProfile,
                  kSkyletCheck, kSuccess);
BENCHMARK_CAPTURE(BM_ExecuteRequest, SkyletUpdate, skylet::kSkyletProfile,
                  kSkyletUpdate, kSuccess);
BENCHMARK_CAPTURE(BM_ExecuteRequest, WattletCheckCompowayF,
                  wattlet::kWattletProfile, kWattletCheckCompoway, kSuccess);
BENCHMARK_CAPTURE(BM_ExecuteRequest, WattletCheckModbus,
                  wattlet::kWattletProfile, kWattletCheckModbus, kSuccess);
BENCHMARK_CAPTURE(BM_ExecuteRequest, WattletUpdate, wattlet::kWattletProfile,
                  kWattletUpdate, kSuccess);
BENCHMARK_CAPTURE(BM_ExecuteRequest, UnknownCommand, skylet::kSkyletProfile,
                  kUnknownCommand, kFailure);
BENCHMARK_CAPTURE(BM_ExecuteRequest, CutShortBody, skylet::kSkyletProfile,
                  kCutShort, kFailure);

// The floor under every parse: a DOM document with a name pool of its own,
// as DOMParser(nullptr) makes one for each request.
void BM_EmptyDocument(benchmark::State& state) {
  for (auto _ : state) {
    Poco::AutoPtr<Poco::XML::Document> document =
        new Poco::XML::Document(static_cast<Poco::XML::NamePool*>(nullptr));
    benchmark::DoNotOptimize(document.get());
  }
}
BENCHMARK(BM_EmptyDocument);

// The reply a command gives when it succeeds.
void BM_RenderSuccessReply(benchmark::State& state) {
  std::int64_t bytes = 0;
  for (auto _ : state) {
    const SendReplyCommand reply(CommandResponseElement::CreateResponseDocument(
        true, "7", nullptr, nullptr));
    std::string text = reply.GetReplyXml();
    bytes += static_cast<std::int64_t>(text.size());
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_RenderSuccessReply);

// The reply to a name the service does not know: status, code and message.
void BM_RenderFailureReply(benchmark::State& state) {
  std::int64_t bytes = 0;
  for (auto _ : state) {
    std::string text =
        FailedRequestCommand::ReplyText("7", "command not found.");
    bytes += static_cast<std::int64_t>(text.size());
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_RenderFailureReply);

}  // namespace
}  // namespace tool::bench
