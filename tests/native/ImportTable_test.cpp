// The shipped i686 programs must start on Windows XP SP3: they may import only
// system DLLs, and from them only functions XP SP3 has (the reviewed list in
// xp-sp3-imports.txt). The import table is read with the cross toolchain's objdump.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace {

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// "DLL function" for each import ("DLL #n" for one by ordinal); empty if unreadable.
std::set<std::string> importsOf(const std::string& exe) {
  std::set<std::string> imports;
  FILE* pipe = popen(("i686-w64-mingw32-objdump -p '" + exe + "' 2>/dev/null").c_str(), "r");
  if (!pipe) return imports;
  std::string dll, line;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, pipe)) {
    line = buffer;
    const size_t name = line.find("DLL Name: ");
    if (name != std::string::npos) {
      dll = upper(line.substr(name + 10, line.find_last_not_of("\r\n") - name - 9));
      continue;
    }
    // Entries of the current DLL: "\t<vma>\t <hint> <name>"; a blank line ends them.
    std::istringstream words(line);
    std::string vma, hint, function;
    if (dll.empty() || !(words >> vma >> hint) || vma == "vma:") {
      if (line.find_first_not_of(" \t\r\n") == std::string::npos) dll.clear();
      continue;
    }
    imports.insert(dll + " " + (words >> function ? function : "#" + hint));
  }
  pclose(pipe);
  return imports;
}

TEST(ShippedExe, ImportsOnlyFunctionsThatWindowsXpSp3Has) {
  std::ifstream list(CORVA_XP_IMPORTS);
  std::set<std::string> allowed;
  for (std::string dll, function; list >> dll;) {
    std::getline(list >> std::ws, function);  // the function, or the rest of a comment
    if (dll[0] != '#') allowed.insert(upper(dll) + " " + function);
  }
  ASSERT_GT(allowed.size(), 100u);
  for (const char* path : {CORVA_SHIPPED_EXE, CORVA_SHIPPED_QUILLSAFE}) {
    SCOPED_TRACE(path);
    if (!std::ifstream(path)) GTEST_SKIP() << "build the i686 programs first: " << path;
    const auto imports = importsOf(path);
    // Every program calls ExitProcess: an empty or partial reading shows here.
    ASSERT_TRUE(imports.count("KERNEL32.DLL ExitProcess")) << imports.size() << " imports read";
    for (const std::string& i : imports)
      EXPECT_TRUE(allowed.count(i)) << i << " is not known to exist on Windows XP SP3";
  }
}

// The rights asked for in each program's manifest, read from the shipped file: the
// repair asks for an administrator's, the settings tool works on the user's own.
TEST(ShippedExe, AsksForTheRightsItsWorkNeeds) {
  for (const auto& [path, level] : {std::pair{CORVA_SHIPPED_EXE, "requireAdministrator"},
                                    std::pair{CORVA_SHIPPED_QUILLSAFE, "asInvoker"}}) {
    SCOPED_TRACE(path);
    std::ifstream in(path, std::ios::binary);
    if (!in) GTEST_SKIP() << "build the i686 programs first: " << path;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const size_t trust = bytes.find("<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v2\">");
    ASSERT_NE(trust, std::string::npos) << "no trustInfo that XP SP2 can load";
    EXPECT_NE(bytes.find(std::string("<requestedExecutionLevel level=\"") + level +
                             "\" uiAccess=\"false\"/>",
                         trust),
              std::string::npos);
  }
}

}  // namespace
