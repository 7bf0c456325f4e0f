#include "rs485_stand_in/connection_handler.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <utility>

#include "rs485_stand_in/fault_replies.h"

namespace stand_in {
namespace {

// How often a record that has not fully arrived is looked at again.
constexpr auto kPeekInterval = std::chrono::milliseconds(1);

// Up to kAccessRecordSize bytes; fewer when the client closed or the socket
// failed first.
std::vector<uint8_t> ReadRecord(int socket) {
  std::vector<uint8_t> bytes(kAccessRecordSize);
  std::size_t received = 0;
  while (received < bytes.size()) {
    const ssize_t count =
        recv(socket, bytes.data() + received, bytes.size() - received, 0);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    received += static_cast<std::size_t>(count);
  }
  bytes.resize(received);
  return bytes;
}

// Waits up to `timeout` (forever when negative) for `events` on `socket`, or
// for a hang-up: the client closing the connection, or the socket being shut
// down, which poll reports whatever `events` asks for. True when one came or
// the socket failed.
bool WaitForEvents(int socket, int16_t events,
                   std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    int waitMs = -1;
    if (timeout.count() >= 0) {
      // Rounded up, so that the wait is never shorter than asked.
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      waitMs = static_cast<int>(left.count());
    }
    pollfd wait = {socket, events, 0};
    const int ready = poll(&wait, 1, waitMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready != 0) return true;
  }
}

// Waits up to `timeout` (forever when negative) for the connection to end:
// the client closing its side, or the socket being shut down. True when it
// ended or the socket failed.
bool WaitForEnd(int socket, std::chrono::milliseconds timeout) {
  return WaitForEvents(socket, POLLRDHUP, timeout);
}

// Waits up to `timeout` for the client to close the connection or the
// socket to be shut down. A client that has only shut down its writing side
// may still read a reply, so that alone does not end the wait. True when the
// connection ended or the socket failed.
bool WaitForHangUp(int socket, std::chrono::milliseconds timeout) {
  return WaitForEvents(socket, 0, timeout);
}

// The record as far as it has arrived, without taking it off the socket:
// waits until all of it is there or the connection has ended.
std::vector<uint8_t> PeekRecord(int socket) {
  std::vector<uint8_t> bytes(kAccessRecordSize);
  while (true) {
    const ssize_t count =
        recv(socket, bytes.data(), bytes.size(), MSG_PEEK | MSG_DONTWAIT);
    const bool complete = count == static_cast<ssize_t>(kAccessRecordSize);
    const bool closedEmpty = count == 0;
    const bool failed = count < 0 && errno != EAGAIN && errno != EINTR;
    if (complete || closedEmpty || failed ||
        WaitForEnd(socket, kPeekInterval)) {
      // After the end, whatever arrived is all there will be.
      const ssize_t arrived =
          recv(socket, bytes.data(), bytes.size(), MSG_PEEK | MSG_DONTWAIT);
      bytes.resize(arrived > 0 ? static_cast<std::size_t>(arrived) : 0);
      return bytes;
    }
  }
}

void WriteAll(int socket, const std::vector<uint8_t>& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t count =
        send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;
    sent += static_cast<std::size_t>(count);
  }
}

}  // namespace

ConnectionHandler::ConnectionHandler(ChannelTable* channels, FaultPlan* faults,
                                     RecordLog* log,
                                     std::chrono::milliseconds silence)
    : channels_(channels), faults_(faults), log_(log), silence_(silence) {}

void ConnectionHandler::Serve(int socket) {
  // A fault that leaves the record unread must be decided before reading;
  // the decision then stands for the record read afterwards.
  std::optional<FaultHit> hit;
  bool decided = false;
  if (faults_->PeeksRecords()) {
    const AccessRecord peeked = ParseAccessRecord(PeekRecord(socket));
    if (peeked.kind == RecordKind::kCommand) {
      hit = faults_->TakeCommandRecord(peeked.channel);
      decided = true;
      if (hit && hit->fault.mode == FaultMode::kCloseUnread) {
        log_->LogCommand(peeked);
        log_->LogFault(peeked.channel, hit->fault);
        return;
      }
    }
  }

  const AccessRecord record = ParseAccessRecord(ReadRecord(socket));
  if (record.kind == RecordKind::kInvalid) {
    log_->LogInvalid(record);
    return;
  }
  if (record.kind == RecordKind::kCommand) {
    log_->LogCommand(record);
    if (!decided) hit = faults_->TakeCommandRecord(record.channel);
    if (hit) {
      log_->LogFault(record.channel, hit->fault);
      ServeFault(socket, record, *hit);
      return;
    }
  }
  const ReplyRecord reply = Answer(record);
  // A real service reports that nobody answered only once the line has
  // stayed quiet for its time-out. No lock is held here, so the wait paces
  // this connection alone.
  if (reply.status == kStatusNoAnswer && silence_.count() > 0 &&
      WaitForHangUp(socket, silence_)) {
    return;
  }
  SendReply(socket, record.channel, reply);
}

ReplyRecord ConnectionHandler::Answer(const AccessRecord& record) {
  if (record.kind == RecordKind::kPortSetting) {
    log_->LogPortSetting(record);
    channels_->SetLineSettings(record.channel, record.settings);
    return ReplyRecord();
  }
  return AnswerCommand(record);
}

ReplyRecord ConnectionHandler::AnswerCommand(const AccessRecord& record) {
  ReplyRecord reply;
  if (record.frameLength > kMaxFrameLength) {
    reply.status = kStatusBadFrameLength;
    return reply;
  }
  std::optional<std::vector<uint8_t>> answer =
      channels_->Exchange(record.channel, record.frame);
  if (!answer) {
    reply.status = kStatusNoAnswer;
    return reply;
  }
  reply.frame = std::move(*answer);
  return reply;
}

std::vector<uint8_t> ConnectionHandler::AnswerOrEcho(
    const AccessRecord& record) {
  std::optional<std::vector<uint8_t>> answer =
      channels_->Exchange(record.channel, record.frame);
  return answer ? std::move(*answer) : record.frame;
}

void ConnectionHandler::ServeFault(int socket, const AccessRecord& record,
                                   const FaultHit& hit) {
  const uint32_t channel = record.channel;
  const int64_t argument = hit.fault.argument;
  switch (hit.fault.mode) {
    case FaultMode::kCloseUnread:
    case FaultMode::kCloseSilent:
      return;
    case FaultMode::kHang:
      WaitForEnd(socket, std::chrono::milliseconds(-1));
      return;
    case FaultMode::kStatus: {
      ReplyRecord reply = AnswerCommand(record);
      reply.status = static_cast<int32_t>(argument);
      SendReply(socket, channel, reply);
      return;
    }
    case FaultMode::kTruncated:
      SendRawReply(socket, channel, TruncatedReplyRecord(AnswerOrEcho(record)));
      return;
    case FaultMode::kLength:
      SendRawReply(socket, channel,
                   LengthFieldReplyRecord(AnswerOrEcho(record),
                                          static_cast<int16_t>(argument)));
      return;
    case FaultMode::kRandom:
      SendRawReply(
          socket, channel,
          RandomReplyRecord(static_cast<uint32_t>(argument), hit.record));
      return;
    case FaultMode::kException: {
      ReplyRecord reply;
      reply.frame = ExceptionAnswer(record.frame);
      SendReply(socket, channel, reply);
      return;
    }
    case FaultMode::kOtherAddress: {
      ReplyRecord reply;
      reply.frame = OtherAddressAnswer(AnswerOrEcho(record));
      SendReply(socket, channel, reply);
      return;
    }
    case FaultMode::kDelay: {
      const ReplyRecord reply = AnswerCommand(record);
      if (WaitForEnd(socket, std::chrono::milliseconds(argument))) return;
      SendReply(socket, channel, reply);
      return;
    }
  }
}

void ConnectionHandler::SendReply(int socket, uint32_t channel,
                                  const ReplyRecord& reply) {
  // Logged before sending, so the line is there once the client has its
  // reply.
  log_->LogReply(channel, reply);
  WriteAll(socket, EncodeReplyRecord(reply));
}

void ConnectionHandler::SendRawReply(int socket, uint32_t channel,
                                     const std::vector<uint8_t>& bytes) {
  log_->LogRawReply(channel, bytes.size());
  WriteAll(socket, bytes);
}

}  // namespace stand_in
