#ifndef TOOL_TOOLS_RS485_STAND_IN_FAULT_PLAN_H_
#define TOOL_TOOLS_RS485_STAND_IN_FAULT_PLAN_H_

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "rs485_stand_in/channel_fault.h"

namespace stand_in {

// A command record that meets its channel's fault.
struct FaultHit {
  ChannelFault fault;
  // The record's number among the channel's command records, from 0.
  uint32_t record = 0;
};

// Decides which command records meet a fault: counts the command records of
// each channel and holds them against that channel's skip and count.
// Port-setting records are not counted and never meet a fault.
//
// The faults are fixed at construction. Safe to call from any thread; the
// counts are kept under one lock.
class FaultPlan {
 public:
  // At most one fault per channel; a later one on the same channel replaces
  // an earlier one. An empty plan lets every record through.
  explicit FaultPlan(std::vector<ChannelFault> faults);

  FaultPlan(const FaultPlan&) = delete;
  FaultPlan& operator=(const FaultPlan&) = delete;

  // True when some channel's fault closes connections without reading the
  // record, so that records must be looked at before they are read.
  bool PeeksRecords() const { return peeksRecords_; }

  // Counts one command record on `channel` and returns the fault it meets,
  // or empty when the channel has no fault or the record lies outside the
  // fault's window. Call once per command record.
  std::optional<FaultHit> TakeCommandRecord(uint32_t channel);

 private:
  struct Entry {
    ChannelFault fault;
    uint64_t records = 0;  // command records counted so far
  };

  bool peeksRecords_ = false;
  std::mutex mutex_;
  std::map<uint32_t, Entry> entries_;  // counts guarded by mutex_
};

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_FAULT_PLAN_H_
