// What ships: programs importing only what XP SP3 has, pictures as the JPEG library sees them.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

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

TEST(Jpeg, ShippedPicturesDecodeToTheLibrarysPixels) {
  for (const char* name : {"photo.jpg", "logo.jpg"}) {
    const std::string path = std::string(CORVA_RESOURCES) + "/" + name;
    SCOPED_TRACE(path);
    // Blue, green, red of every pixel.
    const std::string expected = output("convert '" + path + "' -depth 8 bgr:-");
    if (expected.empty()) GTEST_SKIP() << "ImageMagick's convert is needed";
    const std::string data = readFile(path);
    forms::DecodedPicture picture;
    ASSERT_TRUE(forms::decodeJpeg(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(),
                                  picture));
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(picture.width) * picture.height * 3);
    EXPECT_TRUE(std::string(picture.bgr.begin(), picture.bgr.end()) == expected);
  }
}

}  // namespace
