#ifndef TOOL_TOOLS_RS485_STAND_IN_CONNECTION_HANDLER_H_
#define TOOL_TOOLS_RS485_STAND_IN_CONNECTION_HANDLER_H_

#include <chrono>
#include <cstdint>
#include <vector>

#include "rs485_stand_in/access_record.h"
#include "rs485_stand_in/channel_table.h"
#include "rs485_stand_in/fault_plan.h"
#include "rs485_stand_in/record_log.h"
#include "rs485_stand_in/reply_record.h"

namespace stand_in {

// Serves one client connection: reads one access record, answers it from the
// channel table and writes one reply record, unless the fault plan makes the
// record meet a fault, which changes or withholds the reply.
//
// A command record that meets no fault and that no device answers (no device
// on the channel, or the device stays silent) gets its "no answer" reply
// (kStatusNoAnswer) only after `silence`, as from a real line that waits out
// its time-out first; answered records, other statuses, port-setting records
// and faults keep their own timing. The wait is the connection's own: it holds
// no lock, so other connections, those of the same channel included, are
// served meanwhile.
//
// Does not own the table, the plan or the log, which must outlive it. Serve
// may run on several connection threads at once.
class ConnectionHandler {
 public:
  // A `silence` of zero or less sends every reply at once.
  ConnectionHandler(ChannelTable* channels, FaultPlan* faults, RecordLog* log,
                    std::chrono::milliseconds silence);

  // Reads exactly one access record from `socket` (the client keeps its side
  // open, so end of file is not waited for), then writes the reply. An
  // invalid record gets no reply at all. Socket errors end the exchange
  // quietly; the caller closes `socket` afterwards. Waits that a fault asks
  // for (hang, delay) end early once `socket` is shut down or the client
  // closes its side. The silence before a "no answer" reply ends early, with
  // no reply written or logged, once `socket` is shut down or the client has
  // closed the connection; a client that only shuts down its writing side
  // still gets the reply, as from a real service.
  void Serve(int socket);

 private:
  ReplyRecord Answer(const AccessRecord& record);
  ReplyRecord AnswerCommand(const AccessRecord& record);
  // The device's answer to a command record, or the record's frame itself
  // when the device stays silent.
  std::vector<uint8_t> AnswerOrEcho(const AccessRecord& record);
  // Writes what `hit` makes of the reply to `record`, or nothing.
  void ServeFault(int socket, const AccessRecord& record, const FaultHit& hit);
  void SendReply(int socket, uint32_t channel, const ReplyRecord& reply);
  void SendRawReply(int socket, uint32_t channel,
                    const std::vector<uint8_t>& bytes);

  ChannelTable* const channels_;
  FaultPlan* const faults_;
  RecordLog* const log_;
  const std::chrono::milliseconds silence_;
};

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_CONNECTION_HANDLER_H_
