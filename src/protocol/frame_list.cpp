#include "protocol/frame_list.h"

#include "log/logger_log.h"

namespace tool {

void FrameList::Add(const ByteDataHolder& commandBytes) {
  frames_.emplace_back(commandBytes.GetData(),
                       commandBytes.GetData() + commandBytes.GetSize());
}

void FrameList::Queue(const std::string& tag,
                      const ByteDataHolder& commandBytes) {
  if (LoggerLog::IsDebugEnabled()) {
    LoggerLog::Debug(tag, "Execute Push Command:" + commandBytes.ToHexString());
  }
  Add(commandBytes);
}

std::vector<const std::uint8_t*> FrameList::GetDataList() const {
  std::vector<const std::uint8_t*> datalist;
  for (const auto& frame : frames_) datalist.push_back(frame.data());
  return datalist;
}

std::vector<int> FrameList::GetSizeList() const {
  std::vector<int> sizelist;
  for (const auto& frame : frames_) {
    sizelist.push_back(static_cast<int>(frame.size()));
  }
  return sizelist;
}

}  // namespace tool
