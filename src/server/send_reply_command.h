#ifndef TOOL_SERVER_SEND_REPLY_COMMAND_H_
#define TOOL_SERVER_SEND_REPLY_COMMAND_H_

#include <memory>
#include <string>

#include "server/pv_xml_document.h"

namespace tool {

// What a command's Execute returns: the reply document and its text,
// rendered once at construction.
class SendReplyCommand {
 public:
  // Owns `document` from now on and renders it; it must not be null.
  explicit SendReplyCommand(std::unique_ptr<PVXMLDocument> document);
  virtual ~SendReplyCommand() = default;

  SendReplyCommand(const SendReplyCommand&) = delete;
  SendReplyCommand& operator=(const SendReplyCommand&) = delete;

  std::string GetReplyXml() const;

 private:
  const std::unique_ptr<PVXMLDocument> document_;
  const std::string replyXml_;
};

}  // namespace tool

#endif  // TOOL_SERVER_SEND_REPLY_COMMAND_H_
