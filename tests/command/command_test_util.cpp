#include "command/command_test_util.h"

#include <Poco/AutoPtr.h>
#include <Poco/DOM/DOMParser.h>
#include <Poco/DOM/Document.h>
#include <Poco/DOM/Element.h>
#include <Poco/DOM/Node.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tool {
namespace testing {
namespace {

Bytes WithLength(const Bytes& frame) {
  Bytes bytes(frame.size() + 2);
  bytes[0] = static_cast<std::uint8_t>(frame.size() & 0xFF);
  bytes[1] = static_cast<std::uint8_t>(frame.size() >> 8);
  std::copy(frame.begin(), frame.end(), bytes.begin() + 2);
  return bytes;
}

}  // namespace

std::string CommandRequest(const std::string& command,
                           const std::vector<std::string>& items) {
  std::string data = "<requestData>";
  for (std::size_t i = 0; i < items.size(); ++i) {
    data += "<item x=\"" + std::to_string(i + 1) + "\">" + items[i] + "</item>";
  }
  return std::string("<commandRequest id=\"") + kRequestId + "\"><command>" +
         command + "</command>" + data + "</requestData></commandRequest>";
}

std::string CommandRequestWithoutData(const std::string& command) {
  return std::string("<commandRequest id=\"") + kRequestId + "\"><command>" +
         command + "</command></commandRequest>";
}

Reply ParseReply(const std::string& text) {
  Poco::XML::DOMParser parser;
  Poco::AutoPtr<Poco::XML::Document> document = parser.parseString(text);
  const Poco::XML::Element* root = document->documentElement();
  const Poco::XML::Node* status =
      document->getNodeByPath("/commandResponse/status");
  return {root != nullptr && root->hasAttribute("id") ? root->getAttribute("id")
                                                      : "-",
          status == nullptr ? "-" : status->innerText()};
}

Bytes ModbusBytes(const std::string& hexRequest) {
  Bytes frame;
  for (std::size_t i = 0; i + 1 < hexRequest.size(); i += 2) {
    frame.push_back(static_cast<std::uint8_t>(
        std::stoul(hexRequest.substr(i, 2), nullptr, 16)));
  }
  // Reflected polynomial 0xA001 from 0xFFFF, low byte first.
  std::uint16_t crc = 0xFFFF;
  for (std::uint8_t byte : frame) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
  }
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
  return WithLength(frame);
}

Bytes CompowayBytes(const std::string& text) {
  Bytes frame = {0x02};
  frame.insert(frame.end(), text.begin(), text.end());
  frame.push_back(0x03);
  // Exclusive or over the text and ETX.
  std::uint8_t bcc = 0;
  for (std::size_t i = 1; i < frame.size(); ++i) bcc ^= frame[i];
  frame.push_back(bcc);
  return WithLength(frame);
}

}  // namespace testing
}  // namespace tool
