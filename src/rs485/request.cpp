#include "rs485/request.h"

namespace tool {

void Request::Process() {}

}  // namespace tool
