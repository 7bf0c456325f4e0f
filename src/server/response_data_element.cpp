#include "server/response_data_element.h"

namespace tool {

std::string ResponseDataElement::GetTagName() const { return "responseData"; }

}  // namespace tool
