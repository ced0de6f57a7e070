#include "forms/memory/MemoryApplication.h"

namespace forms {

namespace {
class MemoryFormView : public FormView {
 public:
  explicit MemoryFormView(MemoryApplication& app) : app_(app) {}
  void create() override {}
  void show(Modality) override {}
  void hide() override {}
  void destroy() override {}
  void controlChanged(Control&, Property) override {}
  void formMoved() override {}
  void setFocus(Control& c) override { app_.focused = &c; }
  Twips frameWidth() const override { return app_.frameWidthTwips; }
  Twips frameHeight() const override { return app_.frameHeightTwips; }

 private:
  MemoryApplication& app_;
};
}  // namespace

std::unique_ptr<FormView> MemoryApplication::createView(Form&) {
  return std::make_unique<MemoryFormView>(*this);
}

int MemoryApplication::msgBox(std::string_view prompt, unsigned style, std::string_view titleText) {
  shownMessageBoxes.push_back(
      {std::string(prompt), style,
       std::string(titleText.empty() ? std::string_view(title) : titleText)});
  if (msgBoxAnswers.empty()) return (style & 7) == vbYesNo ? vbYes : vbOK;
  const int answer = msgBoxAnswers.front();
  msgBoxAnswers.pop_front();
  return answer;
}

void MemoryApplication::doEvents() {
  ++doEventsCount;
  std::vector<std::function<void()>> work;
  work.swap(idleWork_);
  for (auto& w : work) w();
  if (onDoEvents && !inHook_) {
    inHook_ = true;
    try {
      onDoEvents();
    } catch (...) {
      inHook_ = false;
      throw;
    }
    inHook_ = false;
  }
}

void MemoryApplication::waitForMessages(int ms) {
  clock += static_cast<std::uint64_t>(ms);
  if (onWait) onWait(ms);
}

std::uintptr_t MemoryApplication::windowHandle(const Form& form) const {
  return form.loaded() ? reinterpret_cast<std::uintptr_t>(&form) : 0;
}

void MemoryApplication::endProcess() {
  ended = true;
  if (onEndProcess) onEndProcess();
  throw ProcessEnded{};
}

}  // namespace forms
