#ifndef TOOL_TOOLS_RS485_STAND_IN_CONNECTION_HANDLER_H_
#define TOOL_TOOLS_RS485_STAND_IN_CONNECTION_HANDLER_H_

#include "rs485_stand_in/access_record.h"
#include "rs485_stand_in/channel_table.h"
#include "rs485_stand_in/record_log.h"
#include "rs485_stand_in/reply_record.h"

namespace stand_in {

// Serves one client connection: reads one access record, answers it from the
// channel table and writes one reply record.
//
// Does not own the table or the log, which must outlive it. Serve may run on
// several connection threads at once.
class ConnectionHandler {
 public:
  ConnectionHandler(ChannelTable* channels, RecordLog* log);

  // Reads exactly one access record from `socket` (the client keeps its side
  // open, so end of file is not waited for), then writes the reply. An
  // invalid record gets no reply at all. Socket errors end the exchange
  // quietly; the caller closes `socket` afterwards.
  void Serve(int socket);

 private:
  ReplyRecord Answer(const AccessRecord& record);

  ChannelTable* const channels_;
  RecordLog* const log_;
};

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_CONNECTION_HANDLER_H_
