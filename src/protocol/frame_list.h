#ifndef TOOL_PROTOCOL_FRAME_LIST_H_
#define TOOL_PROTOCOL_FRAME_LIST_H_

#include <cstdint>
#include <string>
#include <vector>

#include "rs485/byte_data_holder.h"

namespace tool {

// The frames one command sends over one device-setting connection, each in
// a buffer of its own that the list owns and frees with itself. Belongs to
// the thread of its command.
class FrameList {
 public:
  FrameList() = default;
  virtual ~FrameList() = default;

  FrameList(const FrameList&) = delete;
  FrameList& operator=(const FrameList&) = delete;

  // Appends a copy of `commandBytes`.
  void Add(const ByteDataHolder& commandBytes);

  // Logs the frame at Debug under the command's `tag`, then adds it.
  void Queue(const std::string& tag, const ByteDataHolder& commandBytes);

  // Where each frame's bytes start, and their lengths, in the order added.
  // The pointers stay valid while the list lives and no frame is added.
  std::vector<const std::uint8_t*> GetDataList() const;
  std::vector<int> GetSizeList() const;

 private:
  std::vector<std::vector<std::uint8_t>> frames_;
};

}  // namespace tool

#endif  // TOOL_PROTOCOL_FRAME_LIST_H_
