// clsRegistry against the real registry of the Wine prefix. Each test works in
// its own key below HKEY_CURRENT_USER\Software\CorvaneTests, removed before and
// after, so a crashed run leaves nothing that breaks the next.
#include <windows.h>
#include <sddl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "helpers/RuntimeError.h"
#include "helpers/clsRegistry.h"

namespace {

constexpr std::uint32_t kHKCU = clsRegistry::kCurrentUser;
const char* const kTestsRoot = "Software\\CorvaneTests";
const char* const kNoSuchComputer = "\\\\corvane-no-such-host";

std::string bytes(const char* data, std::size_t n) { return std::string(data, n); }

void expectRaised(const std::function<void()>& call, long number, const std::string& source,
                  const std::string& description) {
  try {
    call();
    ADD_FAILURE() << "no error raised, expected " << number;
  } catch (const RuntimeError& e) {
    EXPECT_EQ(number, e.number());
    EXPECT_EQ(source, e.source());
    EXPECT_EQ(description, e.description());
  }
}

void expectSetValueError(const std::function<void()>& call) {
  expectRaised(call, 11001, "clsRegistry", "SetValue");
}

class RegistryTest : public ::testing::Test {
 protected:
  struct Raw {
    bool present = false;
    DWORD type = REG_NONE;
    std::string data;
  };

  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    key_ = std::string(kTestsRoot) + "\\" + test->test_suite_name() + "." + test->name();
    removeTestKey();
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &h, nullptr));
    RegCloseKey(h);
  }
  void TearDown() override {
    removeTestKey();
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestsRoot);  // only once it is empty
  }

  // Keys made read-only by a test would resist deletion; open them up first.
  void removeTestKey() {
    for (const auto& locked : locked_) {
      HKEY h = nullptr;
      if (RegOpenKeyExA(HKEY_CURRENT_USER, locked.c_str(), 0, WRITE_DAC, &h) == ERROR_SUCCESS) {
        setSecurity(h, "D:(A;;KA;;;WD)");
        RegCloseKey(h);
      }
    }
    SHDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
  }

  std::string path(const std::string& relative = "") const {
    return relative.empty() ? key_ : key_ + "\\" + relative;
  }

  void makeKey(const std::string& relative, DWORD options = 0) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path(relative).c_str(), 0, nullptr,
                                             options, KEY_ALL_ACCESS, nullptr, &h, nullptr));
    RegCloseKey(h);
  }
  bool keyPresent(const std::string& relative) const {
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path(relative).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
      return false;
    RegCloseKey(h);
    return true;
  }

  void put(const std::string& name, DWORD type, const std::string& data) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_SET_VALUE, &h));
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExA(h, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())));
    RegCloseKey(h);
  }
  // Text values are stored with their terminator.
  void putText(const std::string& name, const std::string& text, DWORD type = REG_SZ) {
    put(name, type, text + '\0');
  }
  void putDword(const std::string& name, DWORD n) {
    put(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&n), sizeof n));
  }

  Raw raw(const std::string& name) const {
    Raw r;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return r;
    std::vector<char> buffer(4096);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (RegQueryValueExA(h, name.c_str(), nullptr, &r.type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) == ERROR_SUCCESS) {
      r.present = true;
      r.data.assign(buffer.data(), size);
    }
    RegCloseKey(h);
    return r;
  }

  // Leaves the key readable, and nothing more, to everyone.
  void makeReadOnly(const std::string& relative) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, path(relative).c_str(), 0, WRITE_DAC, &h));
    locked_.push_back(path(relative));
    setSecurity(h, "D:P(A;;KR;;;WD)");
    RegCloseKey(h);
  }
  static void setSecurity(HKEY h, const char* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(
        ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd));
    LocalFree(sd);
  }

  clsRegistry reg;
  std::string key_;
  std::vector<std::string> locked_;
};

// One suite name per operation group, all sharing the scratch-key fixture.
using RegistryOpening = RegistryTest;
using RegistrySetValue = RegistryTest;
using RegistrySetDWordValue = RegistryTest;
using RegistryGetValue = RegistryTest;
using RegistryEnumeration = RegistryTest;
using RegistryDeleteValue = RegistryTest;
using RegistryKeys = RegistryTest;

std::string localComputer() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = sizeof name;
  GetComputerNameA(name, &length);
  return std::string("\\\\") + name;
}

// ---- The common opening ------------------------------------------------------

TEST_F(RegistryOpening, OneLeadingBackslashIsDroppedByEveryOperation) {
  const std::string slashed = "\\" + path();
  EXPECT_TRUE(reg.KeyExists(kHKCU, slashed));
  EXPECT_TRUE(reg.CreateKey(kHKCU, slashed + "\\sub"));
  EXPECT_EQ("sub", reg.ListSubKey(kHKCU, slashed, 0));
  EXPECT_TRUE(reg.DeleteKey(kHKCU, slashed + "\\sub"));
  EXPECT_FALSE(keyPresent("sub"));
  EXPECT_TRUE(reg.SetValue(kHKCU, slashed, "v", std::string("text")));
  EXPECT_TRUE(reg.SetDWordValue(kHKCU, slashed, "d", 9));
  EXPECT_EQ(RegistryValue(std::string("text")), reg.GetValue(kHKCU, slashed, "v"));
  EXPECT_EQ((std::set<std::string>{"v", "d"}),
            (std::set<std::string>{reg.ListSubValue(kHKCU, slashed, 0),
                                   reg.ListSubValue(kHKCU, slashed, 1)}));
  EXPECT_TRUE(reg.DeleteValue(kHKCU, slashed, "v"));
  EXPECT_FALSE(raw("v").present);
}

TEST_F(RegistryOpening, OnlyOneBackslashIsDropped) {
  // The registry refuses a path that still starts with one.
  EXPECT_FALSE(reg.KeyExists(kHKCU, "\\\\" + path()));
  EXPECT_FALSE(reg.CreateKey(kHKCU, "\\\\" + path() + "\\sub"));
  EXPECT_FALSE(keyPresent("sub"));
}

TEST_F(RegistryOpening, ThisComputerByName) {
  const std::string me = localComputer();
  EXPECT_TRUE(reg.KeyExists(kHKCU, path(), me));
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "v", std::string("remote"), me));
  EXPECT_EQ(RegistryValue(std::string("remote")), reg.GetValue(kHKCU, path(), "v", me));
  EXPECT_TRUE(reg.CreateKey(kHKCU, path("sub"), me));
  EXPECT_EQ("sub", reg.ListSubKey(kHKCU, path(), 0, me));
  EXPECT_EQ("v", reg.ListSubValue(kHKCU, path(), 0, me));
  EXPECT_TRUE(reg.DeleteKey(kHKCU, path("sub"), me));
  EXPECT_TRUE(reg.DeleteValue(kHKCU, path(), "v", me));
}

TEST_F(RegistryOpening, UnreachableComputerShowsAsFailedOpen) {
  const std::string unreachable = kNoSuchComputer;
  putText("v", "x");
  EXPECT_FALSE(reg.KeyExists(kHKCU, path(), unreachable));
  EXPECT_TRUE(
      std::holds_alternative<std::monostate>(reg.GetValue(kHKCU, path(), "v", unreachable)));
  EXPECT_EQ("", reg.ListSubValue(kHKCU, path(), 0, unreachable));
  EXPECT_EQ("", reg.ListSubKey(kHKCU, kTestsRoot, 0, unreachable));
  EXPECT_FALSE(reg.DeleteValue(kHKCU, path(), "v", unreachable));
  EXPECT_FALSE(reg.CreateKey(kHKCU, path("sub"), unreachable));
  EXPECT_FALSE(reg.DeleteKey(kHKCU, path(), unreachable));
  expectSetValueError([&] { reg.SetValue(kHKCU, path(), "v", std::string("y"), unreachable); });
  expectSetValueError([&] { reg.SetDWordValue(kHKCU, path(), "v", 1, unreachable); });
  EXPECT_EQ(std::string("x\0", 2), raw("v").data);
  EXPECT_FALSE(keyPresent("sub"));
}

TEST_F(RegistryOpening, ReadOnlyKeyCanBeReadButNotWritten) {
  makeKey("ro\\child");
  {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, path("ro").c_str(), 0, KEY_SET_VALUE, &h));
    const DWORD five = 5;
    RegSetValueExA(h, "n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&five), sizeof five);
    RegCloseKey(h);
  }
  makeReadOnly("ro");
  HKEY probe = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path("ro").c_str(), 0, KEY_ALL_ACCESS, &probe) ==
      ERROR_SUCCESS) {
    RegCloseKey(probe);
    GTEST_SKIP() << "this registry does not enforce key security";
  }

  EXPECT_TRUE(reg.KeyExists(kHKCU, path("ro")));
  EXPECT_EQ(RegistryValue(std::int32_t{5}), reg.GetValue(kHKCU, path("ro"), "n"));
  EXPECT_EQ("child", reg.ListSubKey(kHKCU, path("ro"), 0));
  EXPECT_EQ("n", reg.ListSubValue(kHKCU, path("ro"), 0));
  EXPECT_FALSE(reg.DeleteValue(kHKCU, path("ro"), "n"));
  expectSetValueError([&] { reg.SetValue(kHKCU, path("ro"), "n", 6); });
  expectSetValueError([&] { reg.SetDWordValue(kHKCU, path("ro"), "n", 6); });
  EXPECT_EQ(RegistryValue(std::int32_t{5}), reg.GetValue(kHKCU, path("ro"), "n"));
}

// ---- SetValue ----------------------------------------------------------------

TEST_F(RegistrySetValue, MissingValueBecomesText) {
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "n", 12));
  EXPECT_EQ(REG_SZ, raw("n").type);
  EXPECT_EQ(bytes("12\0", 3), raw("n").data);

  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "", std::string("default")));
  EXPECT_EQ(bytes("default\0", 8), raw("").data);
}

TEST_F(RegistrySetValue, TextIsReplacedWhole) {
  putText("t", "a rather longer old text");
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "t", std::string("new")));
  EXPECT_EQ(REG_SZ, raw("t").type);
  EXPECT_EQ(bytes("new\0", 4), raw("t").data);
}

TEST_F(RegistrySetValue, DwordTakesTheValueAsNumber) {
  putDword("d", 1);
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "d", 42));
  EXPECT_EQ(RegistryValue(std::int32_t{42}), reg.GetValue(kHKCU, path(), "d"));
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "d", std::string(" -7 ")));
  EXPECT_EQ(RegistryValue(std::int32_t{-7}), reg.GetValue(kHKCU, path(), "d"));
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "d", std::string("2.5")));  // half to even
  EXPECT_EQ(RegistryValue(std::int32_t{2}), reg.GetValue(kHKCU, path(), "d"));
  EXPECT_EQ(REG_DWORD, raw("d").type);
  EXPECT_EQ(4u, raw("d").data.size());
}

TEST_F(RegistrySetValue, DwordRefusesWhatIsNoThirtyTwoBitNumber) {
  putDword("d", 3);
  expectSetValueError([&] { reg.SetValue(kHKCU, path(), "d", std::string("abc")); });
  expectSetValueError([&] { reg.SetValue(kHKCU, path(), "d", std::string("")); });
  expectSetValueError([&] { reg.SetValue(kHKCU, path(), "d", std::int64_t{2147483648}); });
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "d", std::int64_t{-2147483647 - 1}));
  EXPECT_EQ(RegistryValue(std::int32_t{-2147483647 - 1}), reg.GetValue(kHKCU, path(), "d"));
}

TEST_F(RegistrySetValue, ExpandableAndMultiStringsAreLeftUnwritten) {
  putText("e", "%TEMP%\\x", REG_EXPAND_SZ);
  put("m", REG_MULTI_SZ, bytes("a\0b\0\0", 5));
  put("none", REG_NONE, "zz");
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "e", std::string("new")));
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "m", 1));
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "none", 1));
  EXPECT_EQ(REG_EXPAND_SZ, raw("e").type);
  EXPECT_EQ(bytes("%TEMP%\\x\0", 9), raw("e").data);
  EXPECT_EQ(bytes("a\0b\0\0", 5), raw("m").data);
  EXPECT_EQ("zz", raw("none").data);
}

TEST_F(RegistrySetValue, ValueTooLongToReadBecomesText) {
  put("b", REG_BINARY, std::string(300, '\1'));
  putText("e", std::string(300, 'e'), REG_EXPAND_SZ);
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "b", 5));
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "e", std::string("short")));
  EXPECT_EQ(REG_SZ, raw("b").type);
  EXPECT_EQ(bytes("5\0", 2), raw("b").data);
  EXPECT_EQ(REG_SZ, raw("e").type);
  EXPECT_EQ(bytes("short\0", 6), raw("e").data);
}

TEST_F(RegistrySetValue, BinaryTakesTheBytesDecimalTextAndNoMore) {
  put("b", REG_BINARY, bytes("\1\2\3\4\5\6", 6));
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "b", 7));
  EXPECT_EQ(REG_BINARY, raw("b").type);
  EXPECT_EQ(bytes("7\0", 2), raw("b").data);
  // The size follows the byte's text, not the text Value came as.
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "b", std::string("007")));
  EXPECT_EQ(bytes("7\0", 2), raw("b").data);
  EXPECT_TRUE(reg.SetValue(kHKCU, path(), "b", 255));
  EXPECT_EQ(bytes("255\0", 4), raw("b").data);
}

TEST_F(RegistrySetValue, BinaryRefusesWhatIsNoByte) {
  put("b", REG_BINARY, "\1");
  expectSetValueError([&] { reg.SetValue(kHKCU, path(), "b", 256); });
  expectSetValueError([&] { reg.SetValue(kHKCU, path(), "b", -1); });
  expectSetValueError([&] { reg.SetValue(kHKCU, path(), "b", std::string("x")); });
  EXPECT_EQ("\1", raw("b").data);
}

TEST_F(RegistrySetValue, MissingKeyRaises11001) {
  expectSetValueError([&] { reg.SetValue(kHKCU, path("missing"), "v", 1); });
  EXPECT_FALSE(keyPresent("missing"));
}

// ---- SetDWordValue -----------------------------------------------------------

TEST_F(RegistrySetDWordValue, WritesFourBytesWhateverTheValueWas) {
  EXPECT_TRUE(reg.SetDWordValue(kHKCU, path(), "new", 7));
  putText("t", "text");
  EXPECT_TRUE(reg.SetDWordValue(kHKCU, path(), "t", -2));
  EXPECT_EQ(REG_DWORD, raw("new").type);
  EXPECT_EQ(bytes("\7\0\0\0", 4), raw("new").data);
  EXPECT_EQ(REG_DWORD, raw("t").type);
  EXPECT_EQ(bytes("\xFE\xFF\xFF\xFF", 4), raw("t").data);
}

TEST_F(RegistrySetDWordValue, MissingKeyRaises11001AsSetValue) {
  expectSetValueError([&] { reg.SetDWordValue(kHKCU, path("missing"), "v", 1); });
}

// ---- GetValue ----------------------------------------------------------------

TEST_F(RegistryGetValue, MissingKeyOrValueIsEmpty) {
  EXPECT_TRUE(std::holds_alternative<std::monostate>(reg.GetValue(kHKCU, path("missing"), "v")));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(reg.GetValue(kHKCU, path(), "v")));
}

TEST_F(RegistryGetValue, TextUpToTheBufferSize) {
  putText("abc", "abc");
  putText("254", std::string(253, 'a'));  // 254 bytes with the terminator
  putText("255", std::string(254, 'b'));  // 255 bytes: fills the buffer
  putText("256", std::string(255, 'c'));  // one byte too many
  putText("", "default");
  putText("blank", "");
  put("nothing", REG_SZ, "");
  EXPECT_EQ(RegistryValue(std::string("abc")), reg.GetValue(kHKCU, path(), "abc"));
  EXPECT_EQ(RegistryValue(std::string(253, 'a')), reg.GetValue(kHKCU, path(), "254"));
  EXPECT_EQ(RegistryValue(std::string(254, 'b')), reg.GetValue(kHKCU, path(), "255"));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(reg.GetValue(kHKCU, path(), "256")));
  EXPECT_EQ(RegistryValue(std::string("default")), reg.GetValue(kHKCU, path(), ""));
  EXPECT_EQ(RegistryValue(std::string()), reg.GetValue(kHKCU, path(), "blank"));
  EXPECT_EQ(RegistryValue(std::string()), reg.GetValue(kHKCU, path(), "nothing"));
}

TEST_F(RegistryGetValue, DwordIsAThirtyTwoBitNumber) {
  putDword("five", 5);
  putDword("minus", 0xFFFFFFFF);
  EXPECT_EQ(RegistryValue(std::int32_t{5}), reg.GetValue(kHKCU, path(), "five"));
  EXPECT_EQ(RegistryValue(std::int32_t{-1}), reg.GetValue(kHKCU, path(), "minus"));
}

TEST_F(RegistryGetValue, OtherTypesComeAsTheirTextUnexpanded) {
  putText("e", "%TEMP%\\x", REG_EXPAND_SZ);
  put("m", REG_MULTI_SZ, bytes("a\0b\0\0", 5));
  EXPECT_EQ(RegistryValue(std::string("%TEMP%\\x")), reg.GetValue(kHKCU, path(), "e"));
  EXPECT_EQ(RegistryValue(bytes("a\0b\0", 4)), reg.GetValue(kHKCU, path(), "m"));
}

TEST_F(RegistryGetValue, BinaryIsItsFirstFourBytesAsAByte) {
  put("one", REG_BINARY, "\5");
  put("four", REG_BINARY, bytes("\xFF\0\0\0", 4));
  put("empty", REG_BINARY, "");
  put("six", REG_BINARY, bytes("\7\0\0\0\x09\x09", 6));
  put("long", REG_BINARY, std::string(300, '\0'));
  EXPECT_EQ(RegistryValue(std::uint8_t{5}), reg.GetValue(kHKCU, path(), "one"));
  EXPECT_EQ(RegistryValue(std::uint8_t{255}), reg.GetValue(kHKCU, path(), "four"));
  EXPECT_EQ(RegistryValue(std::uint8_t{0}), reg.GetValue(kHKCU, path(), "empty"));
  EXPECT_EQ(RegistryValue(std::uint8_t{7}), reg.GetValue(kHKCU, path(), "six"));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(reg.GetValue(kHKCU, path(), "long")));
}

TEST_F(RegistryGetValue, BinaryAboveAByteOverflows) {
  put("256", REG_BINARY, bytes("\0\1", 2));
  put("negative", REG_BINARY, "\xFF\xFF\xFF\xFF");
  put("high", REG_BINARY, bytes("\1\0\0\0\0\0\0\1", 8));  // the fifth byte on are not read
  expectRaised([&] { reg.GetValue(kHKCU, path(), "256"); }, errors::kOverflow, "clsRegistry",
               "Overflow");
  expectRaised([&] { reg.GetValue(kHKCU, path(), "negative"); }, errors::kOverflow, "clsRegistry",
               "Overflow");
  EXPECT_EQ(RegistryValue(std::uint8_t{1}), reg.GetValue(kHKCU, path(), "high"));
}

TEST_F(RegistryGetValue, BinaryWrittenBySetValueReadsBackAsItsFirstCharacter) {
  put("b", REG_BINARY, "\1");
  ASSERT_TRUE(reg.SetValue(kHKCU, path(), "b", 7));
  EXPECT_EQ(RegistryValue(std::uint8_t{'7'}), reg.GetValue(kHKCU, path(), "b"));
}

// ---- ListSubKey and ListSubValue ---------------------------------------------

TEST_F(RegistryEnumeration, ListSubKeyNamesEachSubkeyThenNothing) {
  makeKey("alpha");
  makeKey("beta\\deeper");
  makeKey("gamma");
  std::set<std::string> names;
  for (int i = 0; i < 3; ++i) names.insert(reg.ListSubKey(kHKCU, path(), i));
  EXPECT_EQ((std::set<std::string>{"alpha", "beta", "gamma"}), names);
  EXPECT_EQ("", reg.ListSubKey(kHKCU, path(), 3));
  EXPECT_EQ("", reg.ListSubKey(kHKCU, path(), -1));
  EXPECT_EQ("", reg.ListSubKey(kHKCU, path("missing"), 0));
  EXPECT_EQ("", reg.ListSubKey(kHKCU, path("alpha"), 0));
}

TEST_F(RegistryEnumeration, ListSubValueNamesEachValueThenNothing) {
  putText("first", "1");
  putDword("second", 2);
  std::set<std::string> names;
  for (int i = 0; i < 2; ++i) names.insert(reg.ListSubValue(kHKCU, path(), i));
  EXPECT_EQ((std::set<std::string>{"first", "second"}), names);
  EXPECT_EQ("", reg.ListSubValue(kHKCU, path(), 2));
  EXPECT_EQ("", reg.ListSubValue(kHKCU, path("missing"), 0));
}

TEST_F(RegistryEnumeration, NamesLongerThanTheBufferAreNotRead) {
  putText(std::string(254, 'v'), "fits");
  ASSERT_EQ(std::string(254, 'v'), reg.ListSubValue(kHKCU, path(), 0));
  ASSERT_TRUE(reg.DeleteValue(kHKCU, path(), std::string(254, 'v')));
  putText(std::string(255, 'w'), "too long");
  EXPECT_EQ("", reg.ListSubValue(kHKCU, path(), 0));

  // Paths this long exceed what the ANSI entry points take, so the keys are
  // made below an open handle through the wide ones.
  HKEY parent = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(HKEY_CURRENT_USER, path().c_str(), 0, KEY_CREATE_SUB_KEY, &parent));
  HKEY child = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(parent, std::wstring(254, L'k').c_str(), 0, nullptr, 0,
                                           KEY_READ, nullptr, &child, nullptr));
  RegCloseKey(child);
  EXPECT_EQ(std::string(254, 'k'), reg.ListSubKey(kHKCU, path(), 0));
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyW(parent, std::wstring(254, L'k').c_str()));
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(parent, std::wstring(255, L'l').c_str(), 0, nullptr, 0,
                                           KEY_READ, nullptr, &child, nullptr));
  RegCloseKey(child);
  RegCloseKey(parent);
  EXPECT_EQ("", reg.ListSubKey(kHKCU, path(), 0));
}

// ---- DeleteValue -------------------------------------------------------------

TEST_F(RegistryDeleteValue, TrueExactlyWhenAValueWasDeleted) {
  putText("v", "x");
  putText("", "default");
  EXPECT_TRUE(reg.DeleteValue(kHKCU, path(), "v"));
  EXPECT_FALSE(raw("v").present);
  EXPECT_TRUE(reg.DeleteValue(kHKCU, path(), ""));
  EXPECT_FALSE(raw("").present);
  EXPECT_FALSE(reg.DeleteValue(kHKCU, path(), "v"));
  EXPECT_FALSE(reg.DeleteValue(kHKCU, path("missing"), "v"));
}

// ---- CreateKey, DeleteKey, KeyExists -------------------------------------------

TEST_F(RegistryKeys, CreateKeyMakesTheWholePath) {
  EXPECT_TRUE(reg.CreateKey(kHKCU, path("a\\b\\c")));
  EXPECT_TRUE(keyPresent("a\\b\\c"));
  EXPECT_TRUE(reg.KeyExists(kHKCU, path("a\\b\\c")));
}

TEST_F(RegistryKeys, CreateKeyOfAnExistingKeyKeepsItAndSucceeds) {
  makeKey("a");
  putText("kept", "yes");
  EXPECT_TRUE(reg.CreateKey(kHKCU, path()));
  EXPECT_TRUE(reg.CreateKey(kHKCU, path("a")));
  EXPECT_TRUE(raw("kept").present);
  EXPECT_EQ("a", reg.ListSubKey(kHKCU, path(), 0));
}

TEST_F(RegistryKeys, CreateKeyFailureIsFalse) {
  // A lasting key cannot live below one that ends with the session.
  makeKey("volatile", REG_OPTION_VOLATILE);
  EXPECT_FALSE(reg.CreateKey(kHKCU, path("volatile\\lasting")));
  EXPECT_FALSE(keyPresent("volatile\\lasting"));
}

TEST_F(RegistryKeys, DeleteKeyDeletesOneKeyOnly) {
  makeKey("leaf");
  makeKey("parent\\child");
  EXPECT_TRUE(reg.DeleteKey(kHKCU, path("leaf")));
  EXPECT_FALSE(keyPresent("leaf"));
  EXPECT_FALSE(reg.DeleteKey(kHKCU, path("parent")));
  EXPECT_TRUE(keyPresent("parent\\child"));
  EXPECT_FALSE(reg.DeleteKey(kHKCU, path("missing")));
}

TEST_F(RegistryKeys, KeyExistsTellsPresentFromMissing) {
  makeKey("here");
  EXPECT_TRUE(reg.KeyExists(kHKCU, path("here")));
  EXPECT_FALSE(reg.KeyExists(kHKCU, path("missing")));
  EXPECT_FALSE(reg.KeyExists(kHKCU, path("here\\missing")));
}

}  // namespace
