// libFuzzer target: the path-string helpers of clsFileSystem, the splitting of the
// drive-strings buffer and the compressed-file header, fed arbitrary bytes. A broken
// rule aborts, and so does any exception other than the RuntimeError the helpers
// raise by design.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fakes/FakeFileSystem.h"
#include "helpers/CompressedFile.h"
#include "forms/memory/MemoryApplication.h"
#include "fuzz/PathHelperChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FakeFileSystem files;
  static forms::MemoryApplication app;
  clsFileSystem fs(files, app);
  const std::string input(reinterpret_cast<const char*>(data), size);
  // A compressed file's header, read from a disc that may hold anything.
  (void)expandedLength(input);
  for (const std::string& broken :
       {fuzzchecks::checkPathHelpers(fs, input), fuzzchecks::checkDriveStrings(input)}) {
    if (!broken.empty()) {
      std::fprintf(stderr, "rule broken: %s\n", broken.c_str());
      std::abort();
    }
  }
  return 0;
}
