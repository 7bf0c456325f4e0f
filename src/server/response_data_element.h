#ifndef TOOL_SERVER_RESPONSE_DATA_ELEMENT_H_
#define TOOL_SERVER_RESPONSE_DATA_ELEMENT_H_

#include <string>

#include "server/pv_xml_element.h"

namespace tool {

// A responseData element whose content is the children added to it.
class ResponseDataElement : public PVXMLElement {
 public:
  ResponseDataElement() = default;

  std::string GetTagName() const override;
};

}  // namespace tool

#endif  // TOOL_SERVER_RESPONSE_DATA_ELEMENT_H_
