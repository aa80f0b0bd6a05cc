// Big-endian encoding of the numbers of a Palm database file, kept in one place. Every Get reads only the bytes
// in [p, p + width); callers check the bounds first.
#pragma once

#include <cstdint>
#include <string>

namespace jf {

inline void PutBig16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

inline void PutBig32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

inline uint16_t GetBig16(const uint8_t* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

inline uint32_t GetBig32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

// Four stored bytes read as a little-endian number (how the dump shows type and creator ids).
inline uint32_t GetLittle32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Appending forms, for building byte images.
inline void AppendBig16(std::string* out, uint16_t v) {
  uint8_t b[2];
  PutBig16(b, v);
  out->append(reinterpret_cast<const char*>(b), 2);
}

inline void AppendBig32(std::string* out, uint32_t v) {
  uint8_t b[4];
  PutBig32(b, v);
  out->append(reinterpret_cast<const char*>(b), 4);
}

}  // namespace jf
