// What ships: programs importing only what XP SP3 has, pictures close to what the JPEG
// library makes of them, at their size and as drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include "forms/Jpeg.h"

namespace {

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
// What a command writes; empty when it cannot run.
std::string output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
    for (int c; (c = std::fgetc(pipe)) != EOF;) out += static_cast<char>(c);
    pclose(pipe);
  }
  return out;
}

// Each manifest asks for the rights the program's work needs.
TEST(ShippedExe, ImportsOnlyWhatWindowsXpSp3HasAndAsksForTheRightsItsWorkNeeds) {
  std::ifstream list(CORVA_XP_IMPORTS);
  std::set<std::string> allowed;
  for (std::string dll, function; list >> dll;) {
    std::getline(list >> std::ws, function);  // the function, or the rest of a comment
    if (dll[0] != '#') allowed.insert(upper(dll) + " " + function);
  }
  ASSERT_GT(allowed.size(), 100u);
  for (const auto& [path, level] : {std::pair{CORVA_SHIPPED_EXE, "requireAdministrator"},
                                    std::pair{CORVA_SHIPPED_QUILLSAFE, "asInvoker"}}) {
    SCOPED_TRACE(path);
    const std::string bytes = readFile(path);
    if (bytes.empty()) GTEST_SKIP() << "build the i686 programs first: " << path;
    // "DLL function" ("DLL #n" by ordinal), from objdump's "<vma> <hint> <name>" lines.
    std::set<std::string> imports;
    std::istringstream lines(output("i686-w64-mingw32-objdump -p '" + std::string(path) + "'"));
    std::string dll;
    for (std::string line; std::getline(lines, line);) {
      std::istringstream words(line);
      std::string first, second, third;
      if (!(words >> first))
        dll.clear();
      else if (first == "DLL" && words >> second >> third && second == "Name:")
        dll = upper(third);
      else if (!dll.empty() && first != "vma:" && words >> second)
        imports.insert(dll + " " + (words >> third ? third : "#" + second));
    }
    // Every program calls ExitProcess: an empty or partial reading shows here.
    EXPECT_TRUE(imports.count("KERNEL32.DLL ExitProcess")) << imports.size() << " imports read";
    for (const std::string& i : imports)
      EXPECT_TRUE(allowed.count(i)) << i << " is not known to exist on Windows XP SP3";
    const size_t trust = bytes.find("<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v2\">");
    EXPECT_NE(trust, std::string::npos) << "no trustInfo that XP SP2 can load";
    EXPECT_NE(bytes.find(std::string("<requestedExecutionLevel level=\"") + level +
                             "\" uiAccess=\"false\"/>",
                         trust),
              std::string::npos);
  }
}

// Each picture at its size, then as the first and the last page draw it.
TEST(Jpeg, ShippedPicturesAtTheirSizeAndAsDrawnAreCloseToTheLibrarysPixels) {
  for (const auto& [name, width, height, whole] : {std::tuple{"photo.jpg", 228, 172, true},
                                                   {"photo.jpg", 114, 86, false},
                                                   {"logo.jpg", 242, 66, true},
                                                   {"logo.jpg", 105, 33, false}}) {
    const std::string path = std::string(CORVA_RESOURCES) + "/" + name;
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    SCOPED_TRACE(path + " at " + size);
    // Blue, green, red of every pixel, each the mean of what it covers.
    const std::string expected =
        output("convert '" + path + "' -scale " + size + "! -depth 8 bgr:-");
    if (expected.empty()) GTEST_SKIP() << "ImageMagick's convert is needed";
    const std::string data = readFile(path);
    forms::DecodedPicture picture;
    ASSERT_TRUE(forms::decodeJpeg(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(),
                                  picture, width, height));
    std::string drawn(static_cast<std::size_t>(width) * height * 3, '\0');
    ASSERT_EQ(expected.size(), drawn.size());
    forms::stretchPicture(picture, width, height, reinterpret_cast<std::uint8_t*>(drawn.data()),
                          width * 3);
    long difference = 0, largest = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      const long d =
          std::labs(long{static_cast<std::uint8_t>(expected[i])} - std::uint8_t(drawn[i]));
      difference += d;
      largest = std::max(largest, d);
    }
    // Made smaller, the decoder takes the mean before it clips at black and white, the
    // library after: only there may a pixel differ by more.
    EXPECT_LE(difference, static_cast<long>(drawn.size() * 3 / 2));
    EXPECT_TRUE(!whole || largest <= 4) << largest;
  }
}

}  // namespace
