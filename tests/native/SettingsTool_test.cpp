// The settings tool in the in-memory realisation: the restore wizard's pages and
// buttons, its side bar, the file picker's answer, and the chooser's choices. The
// file check against real files is a Windows test.
#include <gtest/gtest.h>

#include "app/frmBackup.h"
#include "fakes/FakePlatform.h"
#include "forms/memory/MemoryApplication.h"
#include "helpers/BackupLocation.h"
#include "native/WizardProbe.h"
#include "settingsbackup/QuillsafeMain.h"
#include "settingsbackup/frmMain.h"
#include "settingsbackup/frmRestore.h"

using forms::Control;

namespace {

class SettingsTool : public ::testing::Test {
 protected:
  void SetUp() override {
    BackupLocation = "D:\\earlier";
    sys.files.addFile("C:\\Backups\\wp.bak");
    access.ShowOpenFileDialog = [this](const std::string& title, const std::string& filter,
                                       std::string& extension) {
      dialogs.push_back(title + "|" + filter + "|" + extension);
      extension = ".BAK";
      return picked;
    };
    access.ReadIniValue = [this](const std::string& file, const std::string& section,
                                 const std::string& key) {
      reads.push_back(file + "|" + section + "|" + key);
      return key == "Version" ? std::string("WP12") : std::string("D:\\Backup");
    };
  }

  frmRestore& restore() {
    frmRestore& f = app.defaultInstance<frmRestore>(sys.files, access);
    f.show(forms::Modality::Modal);
    return f;
  }

  forms::MemoryApplication app;
  FakeSystem sys;
  BackupFileAccess access;
  std::string picked = "C:\\Backups\\wp.bak" + std::string(1, '\0') + std::string(200, ' ');
  std::vector<std::string> dialogs, reads;
};

TEST_F(SettingsTool, RestoreWizardWalksFromWelcomeToFinishWithItsButtons) {
  frmRestore& f = restore();
  EXPECT_EQ(probe::state(f), "0 -CN- G----R");

  f.cmdNext.userClick();
  EXPECT_EQ(probe::state(f), "1 -CN- -G---R");

  // A failed check stays on page 1 with Back now enabled; nothing else moves.
  f.cmdNext.userClick();
  ASSERT_EQ(app.shownMessageBoxes.size(), 1u);
  EXPECT_EQ(app.shownMessageBoxes[0].prompt + "|" + app.shownMessageBoxes[0].title,
            "Please select a file|" + app.title);
  EXPECT_EQ(app.shownMessageBoxes[0].style, forms::vbOKOnly);
  EXPECT_EQ(probe::state(f), "1 BCN- -G---R");
  EXPECT_EQ(BackupLocation, "D:\\earlier");

  // The picker's buffer goes into the text box up to its first NUL.
  f.control("btnSelect").userClick();
  EXPECT_EQ(dialogs, std::vector<std::string>{"Open|Backup files BAK|*.BAK|*.*"});
  EXPECT_EQ(f.text1.text(), "C:\\Backups\\wp.bak");

  f.cmdNext.userClick();
  EXPECT_EQ(probe::state(f), "2 BCN- --G--R");
  EXPECT_EQ(BackupLocation, "D:\\Backup");

  f.cmdBack.userClick();
  EXPECT_EQ(probe::state(f), "1 BCN- -G---R");
  f.cmdBack.userClick();
  EXPECT_EQ(probe::state(f), "0 -CN- G----R");

  // Pages 3 and 4 each stay in front for a while, then the wizard goes on alone.
  f.cmdNext.userClick();
  f.cmdNext.userClick();
  std::map<int, std::uint64_t> shownFor;
  std::map<int, std::string> buttonsOn;
  app.onWait = [&](int ms) {
    shownFor[probe::page(f)] += static_cast<std::uint64_t>(ms);
    buttonsOn[probe::page(f)] = probe::buttons(f);
  };
  f.cmdNext.userClick();
  EXPECT_EQ(probe::state(f), "5 ---F -----G");
  for (int page : {3, 4}) {
    EXPECT_GE(shownFor[page], std::uint64_t(frmRestore::kProgressPageMs)) << page;
    EXPECT_EQ(buttonsOn[page], "-C--") << page;
  }
  EXPECT_EQ(shownFor.count(2), 0u);

  EXPECT_THROW(f.cmdFinish.userClick(), forms::ProcessEnded);
}

TEST_F(SettingsTool, CancelledPickerLeavesBlanksThatTheCheckRejects) {
  picked = std::string(259, ' ') + '\0';
  frmRestore& f = restore();
  f.cmdNext.userClick();
  f.control("btnSelect").userClick();
  EXPECT_EQ(f.text1.text(), std::string(259, ' '));
  f.cmdNext.userClick();
  ASSERT_EQ(app.shownMessageBoxes.size(), 1u);
  EXPECT_EQ(app.shownMessageBoxes[0].prompt, "File does not exist,Please select a file");
  EXPECT_EQ(f.text1.text(), "");
  EXPECT_EQ(probe::page(f), 1);
  EXPECT_THROW(f.pressEscape(), forms::ProcessEnded);
}

TEST_F(SettingsTool, ABareNameIsReadWhereItWasFound) {
  sys.files.addFile("wp.BAK");
  frmRestore& f = restore();
  f.cmdNext.userClick();
  f.text1.setText("wp.BAK");
  f.cmdNext.userClick();
  EXPECT_EQ(f.RestoreStep, 2);
  ASSERT_FALSE(reads.empty());
  EXPECT_EQ(reads[0], ".\\wp.BAK|Backup|Version");
}

TEST_F(SettingsTool, ChooserOpensTheChosenWizardOrEnds) {
  for (const bool restoreChosen : {false, true}) {
    app.releaseDefaultInstances();
    frmMain& chooser = Quillsafe::Main(app, sys.platform, access);
    EXPECT_EQ(chooser.optBackup.value(), 1);
    if (restoreChosen) chooser.optRestore.userClick();
    EXPECT_EQ(chooser.optBackup.value() + 2 * chooser.optRestore.value(), restoreChosen ? 2 : 1);
    chooser.Command4.userClick();
    EXPECT_FALSE(chooser.shown());
    forms::Form* const wizard = restoreChosen
                                    ? static_cast<forms::Form*>(app.existingInstance<frmRestore>())
                                    : app.existingInstance<frmBackup>();
    ASSERT_NE(wizard, nullptr);
    EXPECT_TRUE(wizard->shown());
    EXPECT_EQ(app.existingInstance<frmRestore>() == nullptr, !restoreChosen);
    EXPECT_EQ(app.existingInstance<frmBackup>() == nullptr, restoreChosen);
  }
  // The page link keeps the chooser open.
  frmMain& chooser = *app.existingInstance<frmMain>();
  chooser.show();
  chooser.Label4.userClick();
  ASSERT_EQ(sys.shell.executed.size(), 1u);
  EXPECT_EQ(sys.shell.executed[0].parameters, quillsafePageUrl());
  EXPECT_TRUE(chooser.shown());
  EXPECT_THROW(chooser.Command3.userClick(), forms::ProcessEnded);
  // On 64-bit Windows the Backup choice says why there is no repair, and ends.
  app.releaseDefaultInstances();
  sys.processes.wow64 = true;
  EXPECT_THROW(Quillsafe::Main(app, sys.platform, access).Command4.userClick(),
               forms::ProcessEnded);
  EXPECT_EQ(app.existingInstance<frmBackup>(), nullptr);
  EXPECT_EQ(app.shownMessageBoxes.size(), 1u);
}

}  // namespace
