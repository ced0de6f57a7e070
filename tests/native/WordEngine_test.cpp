// clsBackup's choice of the Word version and its wizard steps, and the one move the
// real file system cannot show (a copy cut short), against fakes.
#include <gtest/gtest.h>

#include <map>

#include "app/Module1.h"
#include "app/clsBackup.h"
#include "fakes/FakePlatform.h"
#include "forms/memory/MemoryApplication.h"
#include "helpers/Module1Shell.h"
#include "wordengine/clsWD10.h"
#include "wordengine/clsWD11.h"

namespace {

// The registry: values by root, key and name, without regard to case. A key is there
// while anything is stored under it; none is deleted.
std::map<std::string, RegistryValue> registry;
std::string at(std::uint32_t root, std::string key, const std::string& name = "") {
  key = std::to_string(root) + "\\" + key + "\\" + name;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

}  // namespace

bool clsRegistry::KeyExists(std::uint32_t root, std::string key, const std::string&) const {
  const auto next = registry.lower_bound(at(root, key));
  return next != registry.end() && next->first.rfind(at(root, key), 0) == 0;
}
RegistryValue clsRegistry::GetValue(std::uint32_t root, std::string key, const std::string& name,
                                    const std::string&) const {
  const auto value = registry.find(at(root, key, name));
  return value == registry.end() ? RegistryValue() : value->second;
}
bool clsRegistry::DeleteKey(std::uint32_t, std::string, const std::string&) const {
  return false;
}
std::optional<std::string> Module1::GetAppDataFolder() {
  return std::nullopt;
}

namespace {

constexpr std::uint32_t kHKCU = clsRegistry::kCurrentUser;

struct NoAutomation : platform::AutomationApi {
  std::unique_ptr<platform::AutomationObject> create(const std::string&) override { return {}; }
};

class WordEngine : public ::testing::Test {
 protected:
  void TearDown() override {
    registry.clear();
    CurrentWD.reset();
    Module1::CurrentStep = 0;
  }
  // The Words started and the boxes shown since the last call.
  std::string seen() {
    std::string s;
    for (const auto& p : sys.processes.started) s += p.application;
    for (const auto& b : app.shownMessageBoxes) s += b.prompt + "|" + std::to_string(b.style);
    sys.processes.started.clear();
    app.shownMessageBoxes.clear();
    return s;
  }

  forms::MemoryApplication app;
  FakeSystem sys;
  NoAutomation automation;
  WordServices services{app, sys.platform, automation};
};

// At step 2 Backup starts the newest Word whose options key is there and keeps it for
// the steps that follow ("WP 9" is told when there is none); at step 4 it presses
// Next; elsewhere it only forgets an earlier choice.
TEST_F(WordEngine, BackupChoosesTheNewestWordAtStepTwoAndPressesNextAtStepFour) {
  const std::string none = "WP 9|0", word10 = clsWD10::kVersion.winword,
                    word11 = clsWD11::kVersion.winword;
  const struct {
    std::vector<const char*> offices;
    int step;
    std::string chosen;
    int stepAfter;
  } cases[] = {{{"10.0"}, 2, word10, 2},         {{"11.0"}, 2, word11, 2},
               {{"10.0", "11.0"}, 2, word11, 2}, {{}, 2, none, 2},
               {{"10.0", "11.0"}, 4, none, 5},   {{"10.0", "11.0"}, 3, none, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen + " at step " + std::to_string(c.step));
    registry.clear();
    for (const char* office : c.offices)
      registry[at(kHKCU,
                  std::string("Software\\Microsoft\\Office\\") + office + "\\Word\\Options")];
    CurrentWD = std::make_shared<clsWD10>(services);
    Module1::CurrentStep = c.step;
    clsBackup(services).Backup();
    EXPECT_EQ(seen(), c.step == 2 ? c.chosen : "");
    EXPECT_EQ(Module1::CurrentStep, c.stepAfter);
    CurrentWD->Execute();
    EXPECT_EQ(seen(), c.chosen);
    app.releaseDefaultInstances();
  }
}

TEST_F(WordEngine, ACopyCutShortKeepsTheSourceAndLeavesNoPartialCopy) {
  registry[at(kHKCU, "Software\\Microsoft\\Office\\10.0\\Common\\General", "UserTemplates")] =
      std::string("C:\\Templates");
  sys.files.addFile("C:\\Templates\\Normal.dot", 4096);
  sys.files.limitCopiesTo(100);  // a full disk: the copy call succeeds, the file is short
  for (bool word2002 : {true, false}) {
    SCOPED_TRACE(word2002 ? "Word 2002" : "Word 2003");
    app.msgBoxAnswers = {forms::vbYes};
    word2002 ? clsWD10(services).RenameTemplate() : clsWD11(services).RenameTemplate();
    EXPECT_EQ(sys.files.fileLength("C:\\Templates\\Normal.dot"), 4096u);
    EXPECT_FALSE(sys.files.exists("C:\\Templates\\0Normal.dot"));
    // Word 2002 still asks about the missing copy; the answer cannot cost the source.
    EXPECT_EQ(seen(), word2002 ? "C:\\Templates\\0Normal.dot\r\n\r\n\r\n\r\n|36" : "");
  }
}

}  // namespace
