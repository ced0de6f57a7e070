// The program's JPEG decoder gives the shipped pictures the very pixels of the JPEG
// library that Wine's decoders (and ImageMagick) use, so they show as they always did.
#include "forms/Jpeg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Red, green, blue of every pixel, as ImageMagick decodes the file; empty without it.
std::vector<std::uint8_t> libraryPixels(const std::string& path) {
  std::vector<std::uint8_t> rgb;
  FILE* pipe = popen(("convert '" + path + "' -depth 8 rgb:- 2>/dev/null").c_str(), "r");
  if (!pipe) return rgb;
  for (int c; (c = std::fgetc(pipe)) != EOF;) rgb.push_back(static_cast<std::uint8_t>(c));
  pclose(pipe);
  return rgb;
}

TEST(Jpeg, ShippedPicturesDecodeToTheLibrarysPixels) {
  for (const char* name : {"photo.jpg", "logo.jpg"}) {
    const std::string path = std::string(CORVA_RESOURCES) + "/" + name;
    SCOPED_TRACE(path);
    const std::vector<std::uint8_t> expected = libraryPixels(path);
    if (expected.empty()) GTEST_SKIP() << "ImageMagick's convert is needed";
    const std::vector<std::uint8_t> data = readFile(path);
    forms::DecodedPicture picture;
    ASSERT_TRUE(forms::decodeJpeg(data.data(), data.size(), picture));
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(picture.width) * picture.height * 3);
    std::vector<std::uint8_t> bgr = expected;
    for (std::size_t i = 0; i < bgr.size(); i += 3) std::swap(bgr[i], bgr[i + 2]);
    EXPECT_TRUE(picture.bgr == bgr);
  }
}

}  // namespace
