// The shipped i686 corva16.exe must start on Windows XP SP3: it may import only
// system DLLs, and from them only functions XP SP3 has (the reviewed list in
// xp-sp3-imports.txt). Reads the PE import table directly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Import {
  std::string dll;
  std::string function;  // "#n" for an import by ordinal
};

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

class PeFile {
 public:
  explicit PeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool empty() const { return bytes_.empty(); }

  std::uint32_t u32(size_t at) const {
    need(at, 4);
    std::uint32_t v;
    std::memcpy(&v, &bytes_[at], 4);
    return v;
  }
  std::uint16_t u16(size_t at) const {
    need(at, 2);
    std::uint16_t v;
    std::memcpy(&v, &bytes_[at], 2);
    return v;
  }
  std::string cstring(size_t at) const {
    need(at, 1);
    const auto end = std::find(bytes_.begin() + static_cast<long>(at), bytes_.end(), '\0');
    return std::string(bytes_.begin() + static_cast<long>(at), end);
  }

  bool is32Bit() const { return u16(optionalHeader()) == 0x10b; }

  std::vector<Import> imports() const {
    const size_t opt = optionalHeader();
    const size_t dataDirs = opt + (is32Bit() ? 96 : 112);
    const std::uint32_t importRva = u32(dataDirs + 8);
    std::vector<Import> out;
    if (importRva == 0) return out;
    for (size_t desc = offsetOf(importRva);; desc += 20) {
      const std::uint32_t lookup = u32(desc), nameRva = u32(desc + 12), firstThunk = u32(desc + 16);
      if (nameRva == 0) break;
      const std::string dll = upper(cstring(offsetOf(nameRva)));
      size_t thunk = offsetOf(lookup ? lookup : firstThunk);
      for (;; thunk += is32Bit() ? 4 : 8) {
        const std::uint64_t entry =
            is32Bit() ? u32(thunk)
                      : (static_cast<std::uint64_t>(u32(thunk + 4)) << 32 | u32(thunk));
        if (entry == 0) break;
        const bool byOrdinal = is32Bit() ? (entry & 0x80000000u) : (entry >> 63);
        if (byOrdinal)
          out.push_back({dll, "#" + std::to_string(entry & 0xFFFF)});
        else
          out.push_back({dll, cstring(offsetOf(static_cast<std::uint32_t>(entry)) + 2)});
      }
    }
    return out;
  }

 private:
  void need(size_t at, size_t n) const {
    if (at + n > bytes_.size()) throw std::out_of_range("truncated PE file");
  }
  size_t peHeader() const {
    if (u16(0) != 0x5A4D) throw std::runtime_error("no MZ header");
    const size_t pe = u32(0x3C);
    if (u32(pe) != 0x00004550) throw std::runtime_error("no PE signature");
    return pe;
  }
  size_t optionalHeader() const { return peHeader() + 24; }
  size_t offsetOf(std::uint32_t rva) const {
    const size_t pe = peHeader();
    const unsigned sections = u16(pe + 6);
    const size_t table = optionalHeader() + u16(pe + 20);
    for (unsigned i = 0; i < sections; ++i) {
      const size_t s = table + i * 40;
      const std::uint32_t va = u32(s + 12), size = std::max(u32(s + 8), u32(s + 16)),
                          raw = u32(s + 20);
      if (rva >= va && rva < va + size) return raw + (rva - va);
    }
    throw std::runtime_error("address outside every section");
  }
  std::vector<char> bytes_;
};

std::set<std::string> allowedImports() {
  std::ifstream in(CORVA_XP_IMPORTS);
  std::set<std::string> allowed;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string dll, function;
    words >> dll >> function;
    allowed.insert(upper(dll) + " " + function);
  }
  return allowed;
}

TEST(ShippedExe, ImportsOnlyFunctionsThatWindowsXpSp3Has) {
  for (const char* path : {CORVA_SHIPPED_EXE, CORVA_SHIPPED_QUILLSAFE}) {
    SCOPED_TRACE(path);
    PeFile exe(path);
    if (exe.empty()) GTEST_SKIP() << "build the i686 programs first: " << path;
    ASSERT_TRUE(exe.is32Bit());
    const auto allowed = allowedImports();
    ASSERT_GT(allowed.size(), 100u);
    const std::set<std::string> systemDlls = {"KERNEL32.DLL", "USER32.DLL",   "GDI32.DLL",
                                              "ADVAPI32.DLL", "SHELL32.DLL",  "SHLWAPI.DLL",
                                              "OLE32.DLL",    "OLEAUT32.DLL", "COMDLG32.DLL",
                                              "COMCTL32.DLL", "MSVCRT.DLL"};
    const auto imports = exe.imports();
    ASSERT_FALSE(imports.empty());
    for (const Import& i : imports) {
      EXPECT_TRUE(systemDlls.count(i.dll)) << "not a Windows system DLL: " << i.dll;
      EXPECT_TRUE(allowed.count(i.dll + " " + i.function))
          << i.dll << " " << i.function << " is not known to exist on Windows XP SP3";
    }
  }
}

TEST(ShippedExe, ReaderSeesTheImportsOfAKnownProgram) {
  // The reader itself: the 64-bit test build imports kernel32's ExitProcess.
  PeFile exe(CORVA_X64_EXE);
  if (exe.empty()) GTEST_SKIP() << "build the x86_64 program first";
  EXPECT_FALSE(exe.is32Bit());
  bool found = false;
  for (const Import& i : exe.imports())
    if (i.dll == "KERNEL32.DLL" && i.function == "ExitProcess") found = true;
  EXPECT_TRUE(found);
}

}  // namespace
