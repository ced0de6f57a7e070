// libFuzzer target: everything that reads data it did not write, fed arbitrary
// bytes: the path-string helpers of clsFileSystem, the splitting of the drive-strings
// buffer, the compressed-file header of a disc's files and the picture decoder (the
// seeds hold small pictures, one saved progressively, which it must refuse). A broken
// rule aborts, and so does any exception other than the RuntimeError the helpers
// raise by design.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fakes/FakePlatform.h"
#include "forms/Jpeg.h"
#include "forms/memory/MemoryApplication.h"
#include "fuzz/PathHelperChecks.h"
#include "helpers/CompressedFile.h"

namespace {

// A picture the decoder refuses leaves the output as it was; one it takes is whole,
// at its size or at an eighth of it.
std::string checkPicture(const std::string& input, int wanted) {
  forms::DecodedPicture picture;
  picture.width = -1;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(input.data());
  if (!forms::decodeJpeg(bytes, input.size(), picture, wanted, wanted))
    return picture.width == -1 && picture.bgr.empty() ? "" : "a refused picture changed the output";
  const bool sane =
      picture.width > 0 && picture.height > 0 && picture.width <= 4096 && picture.height <= 4096 &&
      picture.bgr.size() == static_cast<std::size_t>(picture.width) * picture.height * 3;
  return sane ? "" : "a decoded picture is not whole";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FakeFileSystem files;
  static forms::MemoryApplication app;
  clsFileSystem fs(files, app);
  const std::string input(reinterpret_cast<const char*>(data), size);
  // A compressed file's header, read from a disc that may hold anything.
  (void)expandedLength(input);
  for (const std::string& broken :
       {fuzzchecks::checkPathHelpers(fs, input), fuzzchecks::checkDriveStrings(input),
        checkPicture(input, 8192), checkPicture(input, 1)}) {
    if (!broken.empty()) {
      std::fprintf(stderr, "rule broken: %s\n", broken.c_str());
      std::abort();
    }
  }
  return 0;
}
