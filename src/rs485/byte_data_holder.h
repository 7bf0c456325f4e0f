#ifndef TOOL_RS485_BYTE_DATA_HOLDER_H_
#define TOOL_RS485_BYTE_DATA_HOLDER_H_

#include <cstdint>
#include <string>

namespace tool {

// An owned, zero-initialised byte buffer of fixed size: every frame,
// checksum and reply travels in one, shared through std::shared_ptr.
//
// Not locked: a holder handed to another thread is no longer changed by the
// thread that filled it.
class ByteDataHolder {
 public:
  // `size` zero bytes; a negative size gives an empty holder. Throws
  // std::bad_alloc when the memory cannot be had.
  explicit ByteDataHolder(int size);
  virtual ~ByteDataHolder();

  ByteDataHolder(const ByteDataHolder&) = delete;
  ByteDataHolder& operator=(const ByteDataHolder&) = delete;

  // The bytes, for reading and writing in place; null when empty.
  std::uint8_t* GetData() { return data_; }
  const std::uint8_t* GetData() const { return data_; }
  int GetSize() const { return size_; }

  // Copies every byte to `destination` when `capacity` holds them all;
  // otherwise copies nothing and returns false.
  bool CopyTo(std::uint8_t* destination, unsigned capacity) const;

  // True when `data` holds exactly these `length` bytes.
  bool Equals(const std::uint8_t* data, int length) const;

  // Two lower-case hexadecimal digits per byte, no separators.
  std::string ToHexString() const;

 private:
  std::uint8_t* data_ = nullptr;
  int size_ = 0;
};

}  // namespace tool

#endif  // TOOL_RS485_BYTE_DATA_HOLDER_H_
