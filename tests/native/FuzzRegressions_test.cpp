// Replays every input of the fuzz corpus through the fuzz target's checks, so
// what the fuzzer once found stays fixed in the ordinary native builds (plain,
// ASan/UBSan, valgrind). An input that broke a rule is kept by adding its file
// to fuzz/corpus; the fuzz runs found none so far.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fakes/FakeFileSystem.h"
#include "forms/memory/MemoryApplication.h"
#include "fuzz/PathHelperChecks.h"

namespace {

const std::filesystem::path kCorpus =
    std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "fuzz" / "corpus";

TEST(FuzzRegressions, EveryCorpusInputKeepsTheRules) {
  FakeFileSystem files;
  forms::MemoryApplication app;
  clsFileSystem fs(files, app);
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kCorpus)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(fuzzchecks::checkPathHelpers(fs, input), "") << entry.path();
    EXPECT_EQ(fuzzchecks::checkDriveStrings(input), "") << entry.path();
    ++inputs;
  }
  EXPECT_GE(inputs, 6) << "the corpus was not found at " << kCorpus;
}

}  // namespace
