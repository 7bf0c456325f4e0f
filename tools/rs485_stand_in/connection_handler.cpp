#include "rs485_stand_in/connection_handler.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace stand_in {
namespace {

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

ConnectionHandler::ConnectionHandler(ChannelTable* channels, RecordLog* log)
    : channels_(channels), log_(log) {}

void ConnectionHandler::Serve(int socket) {
  const AccessRecord record = ParseAccessRecord(ReadRecord(socket));
  if (record.kind == RecordKind::kInvalid) {
    log_->LogInvalid(record);
    return;
  }
  const ReplyRecord reply = Answer(record);
  // Logged before sending, so the line is there once the client has its
  // reply.
  log_->LogReply(record.channel, reply);
  WriteAll(socket, EncodeReplyRecord(reply));
}

ReplyRecord ConnectionHandler::Answer(const AccessRecord& record) {
  ReplyRecord reply;
  if (record.kind == RecordKind::kPortSetting) {
    log_->LogPortSetting(record);
    channels_->SetLineSettings(record.channel, record.settings);
    return reply;
  }

  log_->LogCommand(record);
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

}  // namespace stand_in
