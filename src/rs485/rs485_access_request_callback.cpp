#include "rs485/rs485_access_request_callback.h"

namespace tool {

void RS485AccessRequestCallback::OnResult(int, const std::uint8_t*) {}

void RS485AccessRequestCallback::OnDropped() {}

}  // namespace tool
