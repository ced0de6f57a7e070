// clsBackup's choice of the Word version and its wizard steps, and the one move
// the real file system cannot show (a copy cut short), against fakes.
#include <gtest/gtest.h>

#include "app/Module1.h"
#include "app/clsBackup.h"
#include "app/frmBackup.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeRegistry.h"
#include "forms/memory/MemoryApplication.h"
#include "wordengine/clsWD10.h"
#include "wordengine/clsWD11.h"
#include "wordengine/clsWDNone.h"

namespace {

constexpr std::uint32_t kHKCU = clsRegistry::kCurrentUser;

class NoAutomation : public platform::AutomationApi {
 public:
  std::unique_ptr<platform::AutomationObject> create(const std::string&) override {
    return nullptr;
  }
};

class WordEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    fakes::registry.clear();
    CurrentWD.reset();
    app.title = Module1::kTitle;
  }
  void TearDown() override {
    fakes::registry.clear();
    CurrentWD.reset();
    Module1::CurrentStep = 0;
  }
  void addOptionsKey(const char* office) {
    fakes::setRegistryValue(
        kHKCU, std::string("Software\\Microsoft\\Office\\") + office + "\\Word\\Options", "", "");
  }

  forms::MemoryApplication app;
  FakeSystem sys;
  NoAutomation automation;
  WordServices services{app, sys.platform, automation};
};

TEST_F(WordEngine, BackupChoosesTheVersionAtStepTwoAndPressesNextAtStepFour) {
  // The Word started, or nullptr when there is none ("WP 9" is told then, at step 2).
  const WordVersion* const none = nullptr;
  const struct {
    const char* name;
    bool has10, has11;
    int step;
    const WordVersion* chosen;
    int stepAfter;
  } cases[] = {
      {"2002 only", true, false, 2, &clsWD10::kVersion, 2},
      {"2003 only", false, true, 2, &clsWD11::kVersion, 2},
      {"both: 2003 wins", true, true, 2, &clsWD11::kVersion, 2},
      {"neither", false, false, 2, none, 2},
      {"step 4 presses Next", true, true, 4, none, 5},
      {"step 3 does nothing", true, true, 3, none, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::registry.clear();
    if (c.has10) addOptionsKey("10.0");
    if (c.has11) addOptionsKey("11.0");
    sys.processes.started.clear();
    app.shownMessageBoxes.clear();
    CurrentWD = std::make_shared<clsWD10>(services);  // an earlier call's choice
    Module1::CurrentStep = c.step;

    clsBackup(services).Backup();

    ASSERT_TRUE(CurrentWD);
    const clsWD& wd = *CurrentWD;
    const std::type_info& expected = c.chosen == &clsWD10::kVersion   ? typeid(clsWD10)
                                     : c.chosen == &clsWD11::kVersion ? typeid(clsWD11)
                                                                      : typeid(clsWDNone);
    EXPECT_TRUE(typeid(wd) == expected);
    std::string started;
    for (const auto& s : sys.processes.started) started += s.application;
    EXPECT_EQ(started, c.chosen ? c.chosen->winword : "");
    std::string told;
    for (const auto& b : app.shownMessageBoxes) told += b.prompt + "|" + b.title;
    EXPECT_EQ(told, !c.chosen && c.step == 2 ? "WP 9|Corvane 16 bit Windows" : "");
    EXPECT_EQ(Module1::CurrentStep, c.stepAfter);
    EXPECT_EQ(app.existingInstance<frmBackup>() != nullptr, c.step == 4);
    app.releaseDefaultInstances();
  }
}

TEST_F(WordEngine, ACopyCutShortKeepsTheSourceAndLeavesNoPartialCopy) {
  fakes::setRegistryValue(kHKCU, "Software\\Microsoft\\Office\\10.0\\Common\\General",
                          "UserTemplates", "C:\\Templates");
  sys.files.addFile("C:\\Templates\\Normal.dot", 4096);
  sys.files.limitCopiesTo(100);  // a full disk: the copy call succeeds, the file is short
  for (bool word2002 : {true, false}) {
    SCOPED_TRACE(word2002 ? "Word 2002" : "Word 2003");
    app.shownMessageBoxes.clear();
    app.msgBoxAnswers = {forms::vbYes};
    if (word2002)
      clsWD10(services).RenameTemplate();
    else
      clsWD11(services).RenameTemplate();
    EXPECT_EQ(sys.files.fileLength("C:\\Templates\\Normal.dot"), 4096u);
    EXPECT_FALSE(sys.files.exists("C:\\Templates\\0Normal.dot"));
    // Word 2002 still asks about the missing copy; the answer cannot cost the source.
    ASSERT_EQ(app.shownMessageBoxes.size(), word2002 ? 1u : 0u);
    if (word2002) {
      EXPECT_EQ(app.shownMessageBoxes[0].prompt, "C:\\Templates\\0Normal.dot\r\n\r\n\r\n\r\n");
      EXPECT_EQ(app.shownMessageBoxes[0].style, 36u);
    }
  }
}

}  // namespace
