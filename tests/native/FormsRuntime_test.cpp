// The forms runtime in memory, on the demonstration form: events, stacking,
// control arrays, access keys, the cancel button, timers and property rules.
#include <gtest/gtest.h>

#include "demo/DemoForm.h"
#include "forms/memory/MemoryApplication.h"

using forms::Control;

namespace {

std::vector<std::string> stackingNames(const forms::Form& f, const Control* container) {
  std::vector<std::string> names;
  for (Control* c : f.stacking(container)) names.push_back(c->qualifiedName());
  return names;
}

class Runtime : public ::testing::Test {
 protected:
  forms::MemoryApplication app;
  DemoForm form{app};
};

TEST_F(Runtime, LoadRunsOnceOnTheFirstShow) {
  int loads = 0;
  form.onLoad = [&] { ++loads; };
  form.show();
  form.hide();
  form.show();
  EXPECT_EQ(loads, 1);
  form.unload();
  EXPECT_FALSE(form.loaded());
  form.show();
  EXPECT_EQ(loads, 2) << "a form loads again after it was unloaded";
}

TEST_F(Runtime, StackingOrderIsTheDesignOrderAndZOrderMovesOneControl) {
  EXPECT_EQ(stackingNames(form, nullptr),
            (std::vector<std::string>{"shpFront", "shpBack", "lblCovered", "lblOverPhoto",
                                      "lblTitle", "imgPhoto", "fraBox", "picBox", "chkOption",
                                      "txtName", "lstItems", "cmdApply", "cmdClose", "tmrCount"}));
  form.control("shpBack").zOrder(0);
  EXPECT_EQ(stackingNames(form, nullptr)[0], "shpBack");
  EXPECT_EQ(stackingNames(form, nullptr)[1], "shpFront");
  form.control("shpBack").zOrder(1);
  EXPECT_EQ(stackingNames(form, nullptr).back(), "shpBack");
  EXPECT_EQ(stackingNames(form, &form.control("fraBox")),
            (std::vector<std::string>{"optChoice(0)", "optChoice(1)", "lblInFrame"}));
}

TEST_F(Runtime, ControlArraysAreAddressedByIndexWithTheirCount) {
  const auto options = form.controlArray("optChoice");
  EXPECT_EQ(options.count(), 2);
  EXPECT_EQ(options(1).caption(), "Two");
  EXPECT_THROW(options(2), forms::InvalidPropertyValue);
}

TEST_F(Runtime, OptionButtonsOfOneContainerExcludeEachOther) {
  form.show();
  const auto options = form.controlArray("optChoice");
  EXPECT_TRUE(options(1).userClick());
  EXPECT_EQ(options(0).value(), 0);
  EXPECT_EQ(options(1).value(), 1);
}

TEST_F(Runtime, ClicksReachOnlyEnabledVisibleControls) {
  form.show();
  Control& apply = form.control("cmdApply");
  apply.setEnabled(false);
  EXPECT_FALSE(apply.userClick());
  apply.setEnabled(true);
  form.control("txtName").setText("abc");
  EXPECT_TRUE(apply.userClick());
  EXPECT_EQ(form.caption, "Applied: abc");
  form.control("picBox").setVisible(false);
  EXPECT_FALSE(form.control("chkInPicture").userClick()) << "its container is hidden";
}

TEST_F(Runtime, CheckBoxClickTogglesAndRunsTheHandler) {
  int clicks = 0;
  Control& chk = form.control("chkOption");
  chk.onClick = [&] { ++clicks; };
  chk.userClick();
  EXPECT_EQ(chk.value(), 0);
  chk.userClick();
  EXPECT_EQ(chk.value(), 1);
  chk.setValue(1);  // the same value: no click
  EXPECT_EQ(clicks, 2);
  EXPECT_THROW(chk.setValue(3), forms::InvalidPropertyValue);
}

TEST_F(Runtime, TextChangeFiresOnlyForANewText) {
  Control& text = form.control("txtName");
  text.setText("typed");
  EXPECT_EQ(form.changes, 0);
  text.setText("other");
  EXPECT_EQ(form.changes, 1);
}

TEST_F(Runtime, AccessKeysAndTheCancelButton) {
  form.show();
  EXPECT_EQ(form.control("cmdApply").accessKey(), 'A');
  EXPECT_EQ(form.control("cmdClose").accessKey(), 0);
  EXPECT_TRUE(form.pressAccessKey('a'));
  EXPECT_EQ(form.caption, "Applied: typed");
  EXPECT_TRUE(form.pressAccessKey('I')) << "a check box inside a picture box";
  EXPECT_EQ(form.control("chkInPicture").value(), 1);
  EXPECT_FALSE(form.pressAccessKey('Z'));
  form.control("cmdClose").setEnabled(false);
  EXPECT_FALSE(form.pressEscape());
  form.control("cmdClose").setEnabled(true);
  EXPECT_TRUE(form.pressEscape());
  EXPECT_FALSE(form.loaded());
}

TEST_F(Runtime, TabOrderFollowsTabIndexAndSkipsWhatCannotAct) {
  form.show();
  auto order = form.tabOrder();
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(order[0]->name(), "txtName");
  form.control("txtName").setEnabled(false);
  order = form.tabOrder();
  EXPECT_EQ(std::count(order.begin(), order.end(), &form.control("txtName")), 0);
}

TEST_F(Runtime, TimerTicksOnlyWhileEnabledWithAnInterval) {
  Control& timer = form.control("tmrCount");
  EXPECT_TRUE(timer.tick());
  timer.setEnabled(false);
  EXPECT_FALSE(timer.tick());
  timer.setEnabled(true);
  timer.setInterval(0);
  EXPECT_FALSE(timer.tick());
  EXPECT_THROW(timer.setInterval(65536), forms::InvalidPropertyValue);
  EXPECT_THROW(timer.setInterval(-1), forms::InvalidPropertyValue);
  timer.setInterval(65535);
  EXPECT_EQ(form.ticks, 1);
}

TEST_F(Runtime, ListEntriesAreReplacedInPlace) {
  Control& list = form.control("lstItems");
  list.setList(1, "changed");
  EXPECT_EQ(list.items(), (std::vector<std::string>{"first", "changed"}));
  EXPECT_THROW(list.setList(2, "x"), forms::InvalidPropertyValue);
  list.clear();
  EXPECT_EQ(list.listCount(), 0);
}

TEST_F(Runtime, AFrameHoldsControlsAndALabelDoesNot) {
  EXPECT_THROW(form.add(forms::ControlKind::Label, "x", &form.control("lblTitle"), 0, 0, 1, 1),
               forms::DesignError);
  EXPECT_THROW(form.add(forms::ControlKind::Label, "lblTitle", nullptr, 0, 0, 1, 1),
               forms::DesignError);
}

TEST_F(Runtime, MessageBoxesUseTheApplicationTitleUnlessGiven) {
  app.msgBoxAnswers.push_back(forms::vbNo);
  EXPECT_EQ(app.msgBox("Sure?", forms::vbYesNo), forms::vbNo);
  app.msgBox("Hi", forms::vbOKOnly, "Own title");
  ASSERT_EQ(app.shownMessageBoxes.size(), 2u);
  EXPECT_EQ(app.shownMessageBoxes[0].title, "Corvane 16 bit Windows");
  EXPECT_EQ(app.shownMessageBoxes[1].title, "Own title");
}

}  // namespace
