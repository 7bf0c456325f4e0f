#include "server/send_reply_command.h"

#include <utility>

namespace tool {

SendReplyCommand::SendReplyCommand(std::unique_ptr<PVXMLDocument> document)
    : document_(std::move(document)), replyXml_(document_->ToXmlString()) {}

std::string SendReplyCommand::GetReplyXml() const { return replyXml_; }

}  // namespace tool
