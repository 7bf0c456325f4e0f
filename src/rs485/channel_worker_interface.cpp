#include "rs485/channel_worker_interface.h"

namespace tool {

void ChannelWorkerInterface::Begin() {}

bool ChannelWorkerInterface::IsRepeat() { return false; }

void ChannelWorkerInterface::End() {}

int ChannelWorkerInterface::GetWaitInterval() { return 0; }

}  // namespace tool
