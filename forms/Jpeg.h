#pragma once
// The program's own decoder for its JPEG pictures: baseline (sequential Huffman),
// 8-bit, grey or colour with every component at full resolution, as
// resources/draw-artwork.sh writes them. Its pixels are within a few levels of the
// JPEG library's (it converts from YCbCr by the library's tables), without the
// system's picture decoder and the DLLs it brings in at start-up.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace forms {

struct DecodedPicture {
  int width = 0;
  int height = 0;
  // Three bytes a pixel, blue, green, red; rows top first, no padding.
  std::vector<std::uint8_t> bgr;
};

// False, with `out` unchanged, for data it cannot decode. The picture comes out at
// the least of its size, a half, a quarter or an eighth of it (rounded up) that is
// still at least as wide and as high as wanted; unless that is just the size wanted,
// at the least that is twice as wide and as high, or at its size.
bool decodeJpeg(const std::uint8_t* data, std::size_t size, DecodedPicture& out,
                int wantedWidth = 8192, int wantedHeight = 8192);

// The picture stretched or shrunk to width x height, each pixel the mean of the part
// of the picture it covers, into rows `stride` bytes apart, top row first.
void stretchPicture(const DecodedPicture& in, int width, int height, std::uint8_t* out,
                    std::size_t stride);

}  // namespace forms
