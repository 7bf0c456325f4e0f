#include "rs485/request.h"

namespace tool {

void Request::Process() {}

void Request::Abort() {}

}  // namespace tool
