#pragma once
// Byte images of crafted trace files for the detection, header and loop tests.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ReaderHarness.h"
#include "TraceWriter.h"

namespace corvanta::testing {

// size zero bytes.
inline std::vector<uint8_t> Zeros(size_t size) { return std::vector<uint8_t>(size, 0); }

// Writes text at offset, growing the image when needed.
inline void PutText(std::vector<uint8_t>& image, size_t offset, std::string_view text) {
  if (image.size() < offset + text.size()) image.resize(offset + text.size());
  for (size_t i = 0; i < text.size(); ++i) image[offset + i] = static_cast<uint8_t>(text[i]);
}

inline std::vector<uint8_t> Starting(std::string_view text, size_t size) {
  std::vector<uint8_t> image = Zeros(size);
  PutText(image, 0, text);
  return image;
}

// An image starting with signature whose little-endian value of width bytes (1, 2 or 4) at
// offset is value.
inline std::vector<uint8_t> Stamped(std::string_view signature, size_t size, size_t offset, uint32_t value, int width) {
  std::vector<uint8_t> image = Starting(signature, size);
  if (width == 1) image[offset] = static_cast<uint8_t>(value);
  if (width == 2) SetLe16(image, offset, static_cast<uint16_t>(value));
  if (width == 4) SetLe32(image, offset, value);
  return image;
}

// An Intel NetSight window: 1A 00 at 60 and the medium word at 40.
inline std::vector<uint8_t> IntelImage(uint16_t medium) {
  std::vector<uint8_t> image = Stamped("", 200, 40, medium, 2);
  image[60] = 0x1A;
  return image;
}

}  // namespace corvanta::testing
