// A byte stream with a position: what a Palm database is read from and written to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace jf {

class Stream {
 public:
  virtual ~Stream() = default;
  virtual uint64_t Position() const = 0;
  virtual uint64_t Size() const = 0;
  // Moves the position; a position past the end is allowed (a later write fills the gap with zero bytes).
  virtual void Seek(uint64_t position) = 0;
  // Reads at most n bytes at the position; returns the number read (short at the end of the stream).
  virtual size_t Read(void* buffer, size_t n) = 0;
  // Writes n bytes at the position; raises EInOutError when not all of them could be written.
  virtual void Write(const void* buffer, size_t n) = 0;
  // Cuts the stream at the current position.
  virtual void Truncate() = 0;
};

// A stream held in memory; also the image a database is built in before it is written to disk.
class MemoryStream : public Stream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

  uint64_t Position() const override { return position_; }
  uint64_t Size() const override { return bytes_.size(); }
  void Seek(uint64_t position) override { position_ = position; }
  size_t Read(void* buffer, size_t n) override;
  void Write(const void* buffer, size_t n) override;
  void Truncate() override;

  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  uint64_t position_ = 0;
};

}  // namespace jf
