#include "rs485/byte_data_holder.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace tool {

ByteDataHolder::ByteDataHolder(int size) {
  if (size <= 0) return;
  data_ = static_cast<std::uint8_t*>(std::calloc(size, 1));
  if (data_ == nullptr) throw std::bad_alloc();
  size_ = size;
}

ByteDataHolder::~ByteDataHolder() { std::free(data_); }

bool ByteDataHolder::CopyTo(std::uint8_t* destination,
                            unsigned capacity) const {
  if (capacity < static_cast<unsigned>(size_)) return false;
  if (size_ > 0) std::memcpy(destination, data_, size_);
  return true;
}

bool ByteDataHolder::Equals(const std::uint8_t* data, int length) const {
  if (length != size_) return false;
  return size_ == 0 || std::memcmp(data, data_, size_) == 0;
}

std::string ByteDataHolder::ToHexString() const {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * static_cast<size_t>(size_));
  for (int i = 0; i < size_; ++i) {
    text += kDigits[data_[i] >> 4];
    text += kDigits[data_[i] & 0x0F];
  }
  return text;
}

}  // namespace tool
