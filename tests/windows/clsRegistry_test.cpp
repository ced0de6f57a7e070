// clsRegistry against the real registry of the Wine prefix. Each test works in its own
// key below HKCU\Software\CorvaneTests, removed before and after.
#include "helpers/clsRegistry.h"

#include <gtest/gtest.h>
#include <windows.h>
// sddl.h needs windows.h first.
#include <sddl.h>

#include <set>
#include <tuple>
#include <vector>

#include "helpers/RuntimeError.h"
#include "windows/RegistryAccess.h"

namespace {

using namespace std::string_literals;  // "a\0b"s keeps its NULs
using Stored = std::optional<regtest::Stored>;

constexpr std::uint32_t kHKCU = clsRegistry::kCurrentUser;
constexpr DWORD kMissing = ~0u;  // no value at all
const char* const kTestsRoot = "Software\\CorvaneTests";
const RegistryValue kEmpty;
const HKEY kCU = HKEY_CURRENT_USER;

template <class Call>
void expectRaised(const Call& call, long number = clsRegistry::kErrSetValue,
                  const std::string& description = "SetValue") {
  try {
    call();
    ADD_FAILURE() << "no error raised, expected " << number;
  } catch (const RuntimeError& e) {
    EXPECT_EQ(std::tuple(number, "clsRegistry"s, description),
              std::tuple(e.number(), e.source(), e.description()));
  }
}

// Only the given access for everyone.
void setSecurity(const std::string& key, const char* sddl) {
  HKEY h = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(kCU, key.c_str(), 0, WRITE_DAC, &h));
  ASSERT_TRUE(
      ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd));
  LocalFree(sd);
  RegCloseKey(h);
}

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = std::string(kTestsRoot) + "\\" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    SHDeleteKeyA(kCU, key_.c_str());
    ASSERT_TRUE(regtest::makeKey(kCU, key_));
  }
  void TearDown() override {
    SHDeleteKeyA(kCU, key_.c_str());
    RegDeleteKeyA(kCU, kTestsRoot);  // only once it is empty
  }

  std::string path(std::string sub = "") const { return sub.empty() ? key_ : key_ + "\\" + sub; }
  bool keyPresent(const std::string& sub) const { return regtest::keyExists(kCU, path(sub)); }
  void put(const std::string& name, DWORD type, const std::string& data,
           const std::string& sub = "") {
    EXPECT_TRUE(regtest::put(kCU, path(sub), name, type, data));
  }
  static Stored stored(DWORD type, const std::string& data) { return std::pair(type, data); }
  static Stored sz(const std::string& s) { return stored(REG_SZ, s + '\0'); }
  Stored raw(const std::string& name) const { return regtest::value(kCU, key_, name); }

  clsRegistry reg;
  std::string key_;
};

TEST_F(Registry, OneLeadingBackslashIsDroppedASecondIsRefusedAsTheRegistryDoes) {
  const std::string slashed = "\\" + path();
  EXPECT_TRUE(reg.CreateKey(kHKCU, slashed + "\\sub") && reg.KeyExists(kHKCU, slashed + "\\sub"));
  EXPECT_EQ("sub", reg.ListSubKey(kHKCU, slashed, 0));
  EXPECT_TRUE(reg.SetDWordValue(kHKCU, slashed, "d", 9) && reg.SetValue(kHKCU, slashed, "d", 8));
  EXPECT_EQ(RegistryValue(std::int32_t{8}), reg.GetValue(kHKCU, slashed, "d"));
  EXPECT_EQ("d", reg.ListSubValue(kHKCU, slashed, 0));
  EXPECT_TRUE(reg.DeleteValue(kHKCU, slashed, "d") && reg.DeleteKey(kHKCU, slashed + "\\sub"));
  EXPECT_FALSE(raw("d") || keyPresent("sub"));
  EXPECT_FALSE(reg.KeyExists(kHKCU, "\\" + slashed));
  EXPECT_FALSE(reg.CreateKey(kHKCU, "\\" + slashed + "\\sub") || keyPresent("sub"));
}

TEST_F(Registry, ReadOnlyKeyCanBeReadButNotWritten) {
  ASSERT_TRUE(regtest::makeKey(kCU, path("ro\\child")));
  put("n", REG_DWORD, "\5\0\0\0"s, "ro");
  setSecurity(path("ro"), "D:P(A;;KR;;;WD)");
  EXPECT_TRUE(reg.KeyExists(kHKCU, path("ro")));
  EXPECT_EQ("child", reg.ListSubKey(kHKCU, path("ro"), 0));
  EXPECT_EQ("n", reg.ListSubValue(kHKCU, path("ro"), 0));
  EXPECT_FALSE(reg.DeleteValue(kHKCU, path("ro"), "n"));
  expectRaised([&] { reg.SetValue(kHKCU, path("ro"), "n", 6); });
  expectRaised([&] { reg.SetDWordValue(kHKCU, path("ro"), "n", 6); });
  EXPECT_EQ(RegistryValue(std::int32_t{5}), reg.GetValue(kHKCU, path("ro"), "n"));
  setSecurity(path("ro"), "D:(A;;KA;;;WD)");  // or TearDown could not delete it
}

TEST_F(Registry, SetValueWritesInTheTypeTheValueHasSetDWordValueAlwaysADword) {
  // The value's name, type and bytes before; Value; what is stored after.
  // clang-format off
  struct { std::string name; DWORD type; std::string before; RegistryData value; Stored after; }
  const cases[] = {
      {"n", kMissing, "", 12, sz("12")},
      {"t", REG_SZ, "a rather longer old text\0"s, "new", sz("new")},
      // Too long to read: rewritten as text.
      {"b", REG_BINARY, std::string(300, '\1'), 5, sz("5")},
      // Expandable, multi and other strings are left unwritten.
      {"x", REG_EXPAND_SZ, "%TEMP%\\x\0"s, "new", stored(REG_EXPAND_SZ, "%TEMP%\\x\0"s)},
      {"m", REG_MULTI_SZ, "a\0b\0\0"s, 1, stored(REG_MULTI_SZ, "a\0b\0\0"s)},
      // Numbers as numbers.
      {"d", REG_DWORD, "\1\0\0\0"s, " -7 ", stored(REG_DWORD, "\xF9\xFF\xFF\xFF"s)},
      {"d", REG_DWORD, "\1\0\0\0"s, std::int64_t{INT32_MIN}, stored(REG_DWORD, "\0\0\0\x80"s)},
      // A byte's decimal text; the size follows its own text, not Value's.
      {"b", REG_BINARY, "\1\2\3\4\5\6"s, 255, stored(REG_BINARY, "255\0"s)},
      {"b", REG_BINARY, "\1\2\3\4\5\6"s, "007", stored(REG_BINARY, "7\0"s)}};
  // clang-format on
  for (const auto& c : cases) {
    if (c.type != kMissing) put(c.name, c.type, c.before);
    EXPECT_TRUE(reg.SetValue(kHKCU, path(), c.name, c.value)) << c.name;
    EXPECT_EQ(c.after, raw(c.name)) << c.name;
  }

  // What does not convert raises 11001 and leaves the value as it was.
  const std::pair<regtest::Stored, std::vector<RegistryData>> refused[] = {
      {{REG_DWORD, "\3\0\0\0"s}, {"abc", 2147483648}}, {{REG_BINARY, "\1"}, {256, -1}}};
  for (const auto& [before, values] : refused)
    for (const RegistryData& value : values) {
      put("r", before.first, before.second);
      expectRaised([&] { reg.SetValue(kHKCU, path(), "r", value); });
      EXPECT_EQ(Stored(before), raw("r"));
    }
  expectRaised([&] { reg.SetValue(kHKCU, path("missing"), "v", 1); });
  EXPECT_FALSE(keyPresent("missing"));

  // SetDWordValue writes four bytes whatever the value was; "t" holds text by now.
  EXPECT_TRUE(reg.SetDWordValue(kHKCU, path(), "t", -2));
  EXPECT_EQ(stored(REG_DWORD, "\xFE\xFF\xFF\xFF"s), raw("t"));
  expectRaised([&] { reg.SetDWordValue(kHKCU, path("missing"), "v", 1); });
}

TEST_F(Registry, GetValueReadsEachTypeInItsOwnWay) {
  const std::string a253(253, 'a'), b254(254, 'b');
  const std::tuple<std::string, DWORD, std::string, RegistryValue> cases[] = {
      {"254", REG_SZ, a253 + '\0', a253},                     // 254 bytes with the terminator
      {"255", REG_SZ, b254 + '\0', b254},                     // 255 bytes: fills the buffer
      {"256", REG_SZ, std::string(255, 'c') + '\0', kEmpty},  // one byte too many
      {"", REG_SZ, "default\0"s, "default"s},
      {"nothing", REG_SZ, "", ""s},
      {"e", REG_EXPAND_SZ, "%TEMP%\\x\0"s, "%TEMP%\\x"s},  // not expanded
      {"m", REG_MULTI_SZ, "a\0b\0\0"s, "a\0b\0"s},
      {"minus", REG_DWORD, "\xFF\xFF\xFF\xFF", std::int32_t{-1}},
      // Binary: the first four bytes as a number, which must fit a byte.
      {"one", REG_BINARY, "\5", std::uint8_t{5}},
      {"empty", REG_BINARY, "", std::uint8_t{0}},
      {"high", REG_BINARY, "\xFF\0\0\0\0\0\0\1"s, std::uint8_t{255}},
      {"long", REG_BINARY, std::string(300, '\0'), kEmpty}};
  for (const auto& [name, type, data, value] : cases) {
    put(name, type, data);
    EXPECT_EQ(value, reg.GetValue(kHKCU, path(), name)) << name;
  }
  EXPECT_EQ(kEmpty, reg.GetValue(kHKCU, path(), "missing"));
  EXPECT_EQ(kEmpty, reg.GetValue(kHKCU, path("missing"), "e"));
  for (const std::string& data : {"\0\1"s, "\xFF\xFF\xFF\xFF"s}) {
    put("b", REG_BINARY, data);
    expectRaised([&] { reg.GetValue(kHKCU, path(), "b"); }, errors::kOverflow, "Overflow");
  }
}

TEST_F(Registry, KeysAndValuesAreListedMadeAndDeleted) {
  for (const char* name : {"first", "second"}) put(name, REG_SZ, "1\0"s);
  for (const char* key : {"a\\b\\c", "", "a"})  // the last two exist by then and stay
    EXPECT_TRUE(reg.CreateKey(kHKCU, path(key))) << key;
  EXPECT_TRUE(regtest::makeKey(kCU, path("gamma")));
  std::set<std::string> keys, values;
  for (int i = 0; i < 3; ++i) keys.insert(reg.ListSubKey(kHKCU, path(), i));
  for (int i = 0; i < 3; ++i) values.insert(reg.ListSubValue(kHKCU, path(), i));
  EXPECT_EQ((std::set<std::string>{"", "a", "gamma"}), keys);  // nothing past the end
  EXPECT_EQ((std::set<std::string>{"", "first", "second"}), values);
  const std::pair<std::string, int> ends[] = {
      {path(), -1}, {path("missing"), 0}, {path("gamma"), 0}};
  for (const auto& [key, index] : ends)
    EXPECT_EQ("", reg.ListSubKey(kHKCU, key, index)) << key << " " << index;
  EXPECT_EQ("", reg.ListSubValue(kHKCU, path("missing"), 0));
  // Names longer than the buffer are not read.
  for (const std::size_t length : {254, 255}) {
    const std::string name(length, 'v');
    put(name, REG_SZ, "x\0"s);
    EXPECT_EQ(length == 254 ? name : "", reg.ListSubValue(kHKCU, path(), 2));
    EXPECT_TRUE(reg.DeleteValue(kHKCU, path(), name));
  }

  EXPECT_TRUE(reg.KeyExists(kHKCU, path("a\\b\\c")));
  EXPECT_FALSE(reg.KeyExists(kHKCU, path("a\\missing")));
  EXPECT_FALSE(reg.DeleteKey(kHKCU, path("a")));  // it has subkeys
  EXPECT_TRUE(reg.DeleteKey(kHKCU, path("a\\b\\c")));
  EXPECT_TRUE(!keyPresent("a\\b\\c") && keyPresent("a\\b"));
  EXPECT_FALSE(reg.DeleteKey(kHKCU, path("missing")));
  // A lasting key cannot live below one that ends with the session.
  ASSERT_TRUE(regtest::makeKey(kCU, path("volatile"), REG_OPTION_VOLATILE));
  EXPECT_FALSE(reg.CreateKey(kHKCU, path("volatile\\lasting")) || keyPresent("volatile\\lasting"));

  // DeleteValue: true exactly when a value was deleted.
  EXPECT_TRUE(reg.DeleteValue(kHKCU, path(), "first"));
  EXPECT_FALSE(raw("first"));
  EXPECT_FALSE(reg.DeleteValue(kHKCU, path(), "first"));
  EXPECT_FALSE(reg.DeleteValue(kHKCU, path("missing"), "v"));
}

}  // namespace
