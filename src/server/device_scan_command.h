#ifndef TOOL_SERVER_DEVICE_SCAN_COMMAND_H_
#define TOOL_SERVER_DEVICE_SCAN_COMMAND_H_

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "rs485/byte_data_holder.h"
#include "rs485/device_connection_params.h"
#include "server/receive_request_command.h"
#include "server/simple_element.h"

namespace tool {

// The base of the commands that search for a device whose line settings
// are unknown. The service's own command says which line settings and
// addresses to try and how a probe frame looks; this class searches the
// channels in parallel, one search per channel. A search takes the line
// settings in order, probes the addresses of each over one device-setting
// connection (so other operations on the channel get their turn between
// two line settings) and ends at its channel's first device, at the time
// budget or when the service stops, whichever comes first.
//
// The reply is SUCCESS when a device was found and the service is not
// stopping, FAILURE otherwise; both carry a responseData element with one
// device element per device found and a scan element (probes, seconds,
// complete). A malformed request item answers FAILURE with detail code
// "400" and a message naming the item, with nothing sent. On success the
// first device found, in the order of the channels, becomes the connected
// settings.
//
// Lives for one request, on its thread; the searches of the other channels
// run on threads of their own that end before Execute returns.
class DeviceScanCommand : public ReceiveRequestCommand {
 public:
  // The item values shared by both services.
  static constexpr int kMinChannel = 1;
  static constexpr int kMaxChannel = 3;
  static constexpr int kDefaultBudgetSeconds = 120;
  static constexpr int kMaxBudgetSeconds = 600;

  using ReceiveRequestCommand::ReceiveRequestCommand;

  std::shared_ptr<SendReplyCommand> Execute() final;

  // Keeps every item by its tag; a later item replaces an earlier one.
  void SetTagValue(const std::string& tag, const std::string& value) final;

 protected:
  // One line setting: the settings of one device-setting connection and the
  // addresses probed over it, in order.
  struct Line {
    int checkKind;
    int baudrate;
    int param;
    std::vector<int> addresses;
  };

  // What to search: the channels, the line settings in order, and the time
  // budget.
  struct Plan {
    std::vector<int> channels;
    std::vector<Line> lines;
    int budgetSeconds = kDefaultBudgetSeconds;
  };

  // The command's log tag.
  virtual const char* LogTag() const = 0;

  // Reads the request items into `plan`. False, with `*message` naming the
  // malformed item, when one is.
  virtual bool MakePlan(Plan* plan, std::string* message) const = 0;

  // The probe frame (command bytes) for `address` in the protocol
  // `checkKind`; empty when it cannot be built.
  virtual std::shared_ptr<ByteDataHolder> CreateProbe(int checkKind,
                                                      int address) const = 0;

  // Puts the attributes of a device found at `found` on its device element:
  // channel, baudrate, address and param.
  virtual void DescribeDevice(const DeviceConnectionParams& found,
                              SimpleElement* device) const;

  // For MakePlan: whether the request carries the item of `tag`.
  bool HasItem(const std::string& tag) const;

  // For MakePlan: the settings of item `tag` (ScanSettingList), each within
  // `min` to `max`, or `defaults` when the request lacks the item. False,
  // with `*message` set, when the item is malformed.
  bool ReadList(const std::string& tag, int min, int max,
                const std::vector<int>& defaults, std::vector<int>* values,
                std::string* message) const;

  // For MakePlan: the channels of item `tag` (default 1, 2, 3) and the
  // time budget of item `budgetTag` in whole seconds (default 120, at most
  // 600).
  bool ReadChannelsAndBudget(const std::string& tag,
                             const std::string& budgetTag, Plan* plan,
                             std::string* message) const;

 private:
  struct ChannelResult;

  // The message that refuses item `tag` and names its allowed range.
  std::string BadItemMessage(const std::string& tag, int min, int max) const;

  // Searches one channel along `plan` until `deadline` and fills
  // `*result`.
  void SearchChannel(int channel, const Plan& plan,
                     std::chrono::steady_clock::time_point deadline,
                     ChannelResult* result);

  std::map<std::string, std::string> items_;
};

}  // namespace tool

#endif  // TOOL_SERVER_DEVICE_SCAN_COMMAND_H_
