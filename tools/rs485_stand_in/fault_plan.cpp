#include "rs485_stand_in/fault_plan.h"

#include <limits>

namespace stand_in {

FaultPlan::FaultPlan(std::vector<ChannelFault> faults) {
  for (const ChannelFault& fault : faults) {
    entries_[fault.channel].fault = fault;
  }
  for (const auto& [channel, entry] : entries_) {
    if (entry.fault.mode == FaultMode::kCloseUnread) peeksRecords_ = true;
  }
}

std::optional<FaultHit> FaultPlan::TakeCommandRecord(uint32_t channel) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = entries_.find(channel);
  if (found == entries_.end()) return std::nullopt;
  Entry& entry = found->second;
  const uint64_t record = entry.records++;
  const ChannelFault& fault = entry.fault;
  if (record < fault.skip) return std::nullopt;
  if (fault.count && record - fault.skip >= *fault.count) return std::nullopt;
  // Record numbers past 2^32 wrap, which only changes random bytes.
  return FaultHit{fault, static_cast<uint32_t>(
                             record & std::numeric_limits<uint32_t>::max())};
}

}  // namespace stand_in
