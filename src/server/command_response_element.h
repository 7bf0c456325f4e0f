#ifndef TOOL_SERVER_COMMAND_RESPONSE_ELEMENT_H_
#define TOOL_SERVER_COMMAND_RESPONSE_ELEMENT_H_

#include <memory>
#include <string>

#include "server/command_detail_element.h"
#include "server/pv_xml_document.h"
#include "server/pv_xml_element.h"

namespace tool {

// The reply's root element, commandResponse, with the request's id.
class CommandResponseElement : public PVXMLElement {
 public:
  explicit CommandResponseElement(std::string requestId);

  // The one reply layout: commandResponse with `requestId` (written even
  // when empty), its status, then `detail` and `responseData` when they are
  // not empty. The caller owns the document.
  static std::unique_ptr<PVXMLDocument> CreateResponseDocument(
      bool success, const std::string& requestId,
      std::shared_ptr<CommandDetailElement> detail,
      std::shared_ptr<PVXMLElement> responseData);

  std::string GetTagName() const override;
  void SetAttributes(Poco::XML::Element* element) const override;

 private:
  const std::string requestId_;
};

}  // namespace tool

#endif  // TOOL_SERVER_COMMAND_RESPONSE_ELEMENT_H_
