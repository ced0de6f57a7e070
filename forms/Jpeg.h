#pragma once
// The program's own decoder for its JPEG pictures: baseline (sequential Huffman),
// 8-bit, grey or colour with every component at full resolution, as
// resources/draw-artwork.sh writes them. It reckons each pixel exactly as the JPEG
// library Wine's decoders use does (the integer inverse DCT, its YCbCr tables and
// range limiting), so the pictures show as before, without the system's picture
// decoder and the DLLs it brings in at start-up.
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

// False, with `out` unchanged, for data it cannot decode.
bool decodeJpeg(const std::uint8_t* data, std::size_t size, DecodedPicture& out);

}  // namespace forms
