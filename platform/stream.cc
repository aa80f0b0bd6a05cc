#include "platform/stream.h"

#include <cstring>

namespace jf {

size_t MemoryStream::Read(void* buffer, size_t n) {
  if (position_ >= bytes_.size()) return 0;
  size_t available = static_cast<size_t>(bytes_.size() - position_);
  if (n > available) n = available;
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

void MemoryStream::Write(const void* buffer, size_t n) {
  if (position_ > bytes_.size()) bytes_.resize(static_cast<size_t>(position_), '\0');
  size_t end = static_cast<size_t>(position_) + n;
  if (end > bytes_.size()) bytes_.resize(end, '\0');
  std::memcpy(bytes_.data() + position_, buffer, n);
  position_ = end;
}

void MemoryStream::Truncate() {
  if (position_ < bytes_.size()) bytes_.resize(static_cast<size_t>(position_));
}

}  // namespace jf
