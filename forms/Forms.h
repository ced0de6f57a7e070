#pragma once
// The forms runtime: forms and their controls as data (kind, container, place and
// size in twips, texts, colours, fonts, state, stacking order) plus event handlers.
// A realisation (Win32 windows, or memory for the native tests) shows a form and
// is told of every property change.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Error.h"

namespace forms {

using Twips = int;

// To the nearest whole number, halves away from zero.
inline int rounded(double x) {
  return static_cast<int>(x < 0 ? x - 0.5 : x + 0.5);
}

// Colours as the platform stores them: 0x00BBGGRR, or 0x800000nn for system colour nn.
using Color = std::uint32_t;
constexpr Color rgb(unsigned r, unsigned g, unsigned b) {
  return r | (g << 8) | (b << 16);
}
constexpr bool isSystemColor(Color c) {
  return (c & 0x80000000u) != 0;
}
constexpr Color kSysButtonText = 0x80000012;
constexpr Color kSysButtonFace = 0x8000000F;
constexpr Color kSysWindowBackground = 0x80000005;
constexpr Color kSysWindowText = 0x80000008;
constexpr Color kWhite = rgb(255, 255, 255);
constexpr Color kBlack = rgb(0, 0, 0);

enum class ControlKind {
  Frame,
  Label,
  Image,
  Shape,
  PictureBox,
  CheckBox,
  OptionButton,
  TextBox,
  ListBox,
  CommandButton,
  Timer,
};
const char* kindName(ControlKind kind);
// Windowed controls are child windows and always cover the painted ones
// (labels, images, shapes) of the same container.
bool isWindowed(ControlKind kind);
bool isContainerKind(ControlKind kind);

struct Font {
  const char* face = "MS Sans Serif";  // a name written in the program
  double points = 8.25;
  bool bold = false;
  bool underline = false;
  bool operator==(const Font& o) const {
    return std::string_view(face) == o.face && points == o.points && bold == o.bold &&
           underline == o.underline;
  }
};

enum class Alignment { Left, Right, Center };
enum class BackStyle { Transparent, Opaque };
enum class BorderStyle { None, FixedSingle };

// What changed, so a realisation updates only that.
enum class Property {
  Geometry,
  Caption,
  Colors,
  Font,
  Enabled,
  Visible,
  Value,
  List,
  Interval,
  ZOrder,
  Picture,
};

class Form;

// Raised by a property setter that the control refuses (as the platform's runtime
// raises "Invalid property value").
struct InvalidPropertyValue : platform::Error {
  using platform::Error::Error;
};
// Raised when a form's design is inconsistent (a duplicate or unknown control).
struct DesignError : platform::Error {
  using platform::Error::Error;
};

class Control {
 public:
  Control(Form& form, ControlKind kind, std::string name, int index, Control* container);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  ControlKind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  int index() const { return index_; }               // -1 unless part of a control array
  std::string qualifiedName() const;                 // "fraSteps(2)" or "cmdNext"
  Control* container() const { return container_; }  // nullptr: the form itself
  Form& form() const { return form_; }

  Twips left() const { return left_; }
  Twips top() const { return top_; }
  Twips width() const { return width_; }
  Twips height() const { return height_; }
  void move(Twips left, Twips top, Twips width, Twips height);

  // Caption of labels, buttons, check boxes and frames; text of text boxes.
  const std::string& caption() const { return caption_; }
  void setCaption(const std::string& text);
  const std::string& text() const { return caption_; }
  void setText(const std::string& text) { setCaption(text); }

  Color foreColor() const { return foreColor_; }
  Color backColor() const { return backColor_; }
  Color fillColor() const { return fillColor_; }
  Color borderColor() const { return borderColor_; }
  bool filled() const { return filled_; }  // shapes: solid fill, else transparent
  BackStyle backStyle() const { return backStyle_; }
  BorderStyle borderStyle() const { return borderStyle_; }
  void setForeColor(Color c);
  void setBackColor(Color c);
  void setFillColor(Color c);
  void setBorderColor(Color c);
  void setFilled(bool filled);
  void setBackStyle(BackStyle s);
  void setBorderStyle(BorderStyle s);
  // Shapes: the width of the outline in pixels.
  int borderWidth() const { return borderWidth_; }
  void setBorderWidth(int w) { borderWidth_ = w < 1 ? 1 : w; }

  const Font& font() const { return font_; }
  void setFont(const Font& f);
  void setFontBold(bool bold);
  Alignment alignment() const { return alignment_; }
  void setAlignment(Alignment a) { alignment_ = a; }
  bool autoSize() const { return autoSize_; }
  void setAutoSize(bool a) { autoSize_ = a; }

  bool enabled() const { return enabled_; }
  void setEnabled(bool e);
  bool visible() const { return visible_; }
  void setVisible(bool v);
  // Visible and inside visible containers.
  bool effectivelyVisible() const;
  // Enabled and inside enabled containers.
  bool effectivelyEnabled() const;

  // Check box: 0 unticked, 1 ticked, 2 grayed. Option button: 0 or 1.
  int value() const { return value_; }
  void setValue(int v);

  // List box entries.
  void addItem(const std::string& item);
  void clear();
  int listCount() const { return static_cast<int>(list_.size()); }
  const std::string& list(int i) const;
  void setList(int i, const std::string& item);
  const std::vector<std::string>& items() const { return list_; }

  // Timer interval in milliseconds, 0 to 65,535; 0 stops the ticks.
  int interval() const { return interval_; }
  void setInterval(long long ms);

  // Images: the name of a picture resource.
  const std::string& picture() const { return picture_; }
  void setPicture(const std::string& resourceName);
  // What a screen reader says of a picture.
  const std::string& description() const { return description_; }
  void setDescription(const std::string& text) { description_ = text; }

  // Command buttons.
  bool isCancel() const { return cancel_; }
  void setCancel(bool c) { cancel_ = c; }
  int tabIndex() const { return tabIndex_; }
  void setTabIndex(int t) { tabIndex_ = t; }
  // The access key of a caption: the letter after a single '&', upper case; 0 if none.
  char accessKey() const;
  // A label that acts on a click is a link: it takes the focus and answers Enter.
  bool isLink() const { return kind_ == ControlKind::Label && onClick != nullptr; }
  // Brings the control's form to the front with the keyboard focus on the control,
  // if it can take the focus.
  void setFocus();

  // Stacking: position 0 brings the control to the front of its container,
  // position 1 sends it to the back.
  void zOrder(int position = 0);

  // Events.
  std::function<void()> onClick;
  std::function<void()> onChange;
  std::function<void()> onTimer;

  // Runs the click handler as the runtime does for a user's click: only when the
  // control can be reached (visible and enabled with its containers). Check boxes
  // toggle first, option buttons select. Returns whether it acted.
  bool userClick();
  // Runs the tick handler if the timer is enabled with a non-zero interval.
  bool tick();

 private:
  void changed(Property p);
  void fitToText();

  Form& form_;
  ControlKind kind_;
  std::string name_;
  int index_;
  Control* container_;
  Twips left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::string caption_;
  Color foreColor_ = kSysButtonText;
  Color backColor_ = kSysButtonFace;
  Color fillColor_ = kBlack;
  Color borderColor_ = kBlack;
  bool filled_ = false;
  BackStyle backStyle_ = BackStyle::Opaque;
  BorderStyle borderStyle_ = BorderStyle::None;
  int borderWidth_ = 1;
  Font font_;
  Alignment alignment_ = Alignment::Left;
  bool autoSize_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  int value_ = 0;
  std::vector<std::string> list_;
  int interval_ = 0;
  std::string picture_;
  std::string description_;
  bool cancel_ = false;
  int tabIndex_ = -1;
};

// The elements of a control array, addressed by index; the count is read at run time.
class ControlArray {
 public:
  ControlArray() = default;
  explicit ControlArray(std::vector<Control*> elements) : elements_(std::move(elements)) {}
  Control& operator()(int index) const;
  int count() const { return static_cast<int>(elements_.size()); }
  int lowerBound() const;
  int upperBound() const;

 private:
  std::vector<Control*> elements_;
};

enum class FormBorder {
  None,
  FixedSingle,
  Sizable,
  FixedDialog,
  FixedToolWindow,
  SizableToolWindow
};
enum class StartPosition { Manual, CenterOwner, CenterScreen, WindowsDefault };
enum class Modality { Modeless, Modal };

class Application;
class FormView;

class Form {
 public:
  Form(Application& app, std::string name);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  Application& app() const { return app_; }
  const std::string& name() const { return name_; }

  // --- Design ---------------------------------------------------------------
  // Adds a control as the bottom-most of its container: list controls top first.
  Control& add(ControlKind kind, std::string_view name, Control* container, Twips left, Twips top,
               Twips width, Twips height, int index = -1);
  Control& control(const char* name) const;
  Control* find(std::string_view name, int index = -1) const;
  ControlArray controlArray(const char* name) const;
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
  // The children of a container (nullptr: the form) in stacking order, top first.
  const std::vector<Control*>& stacking(const Control* container) const;

  std::string caption;
  // What a screen reader calls a form whose caption is empty.
  std::string accessibleName;
  // Changes the title of a loaded form (set `caption` directly at design time).
  void setCaption(const std::string& text);
  FormBorder border = FormBorder::Sizable;
  // The title bar's minimise and maximise boxes (fixed-single and sizable borders).
  bool minButton = true;
  bool maxButton = true;
  bool showInTaskbar = true;
  Color backColor = kSysButtonFace;
  Twips clientWidth = 4800;
  Twips clientHeight = 3600;
  StartPosition startPosition = StartPosition::WindowsDefault;

  // Outer place and size in twips (the realisation knows the frame).
  Twips left() const { return left_; }
  Twips top() const { return top_; }
  Twips width() const;
  Twips height() const;
  void setPosition(Twips left, Twips top);

  // --- Life -----------------------------------------------------------------
  std::function<void()> onLoad;
  // Loads the form (running the load handler once), then shows it.
  void show(Modality modality = Modality::Modeless);
  void hide();
  void unload();
  // Runs `work` when the program next waits with nothing to do, unless this form is
  // gone by then.
  void whenIdle(std::function<void()> work);
  bool loaded() const { return loaded_; }
  bool shown() const { return shown_; }
  // The Escape key: clicks the cancel button while it can act.
  bool pressEscape();
  // A typed access key (Alt+letter): clicks the first control that carries it.
  bool pressAccessKey(char key);
  // Controls that take the focus with Tab, in tab order: of a group of option
  // buttons, only the chosen one.
  std::vector<Control*> tabOrder() const;
  // Whether a person can reach the control with the keyboard: a kind that takes the
  // focus, visible and enabled with its containers, and not covered by a window
  // stacked above it (a page behind the one in front).
  bool canTakeFocus(const Control& control) const;
  // Whether a person can see some of the control: visible with its containers, inside
  // them and the form, and not covered by a window stacked above it.
  bool inSight(const Control& control) const;
  // Whether a visible window stacked above the control in its own container hides
  // all of it that lies inside the container (what sticks out is never seen).
  bool coveredBySibling(const Control& control) const;
  // Whether Tab stops at the control.
  bool tabStop(const Control& control) const;
  // The control that takes the focus after `from` in tab order (before it when
  // `backwards`), wrapping around; from nullptr, the first (last). nullptr if none can.
  Control* nextInTabOrder(const Control* from, bool backwards = false) const;

  FormView* view() const { return view_.get(); }
  // Called by controls.
  void controlChanged(Control& control, Property property);
  void moveInStacking(Control& control, bool toFront);

 private:
  Application& app_;
  std::string name_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::map<const Control*, std::vector<Control*>> stacking_;
  std::unique_ptr<FormView> view_;
  std::shared_ptr<int> alive_{new int(0)};  // held only by the form
  Twips left_ = 0, top_ = 0;
  bool loaded_ = false;
  bool shown_ = false;
};

// What a realisation does for one form.
class FormView {
 public:
  virtual ~FormView() = default;
  virtual void create() = 0;  // build the window and its controls (hidden)
  virtual void show(Modality modality) = 0;
  virtual void hide() = 0;
  virtual void destroy() = 0;
  virtual void controlChanged(Control& control, Property property) = 0;
  virtual void formMoved() = 0;
  virtual void captionChanged() {}
  virtual void setFocus(Control&) {}
  // Outer size minus client size, in twips.
  virtual Twips frameWidth() const = 0;
  virtual Twips frameHeight() const = 0;
};

// Message box buttons, icons and answers as the platform numbers them.
enum MsgBoxStyle : unsigned {
  vbOKOnly = 0,
  vbOKCancel = 1,
  vbYesNo = 4,
  vbCritical = 16,
  vbQuestion = 32,
  vbExclamation = 48,
  vbInformation = 64,
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// Raised by the in-memory realisation where a real process would end at once.
struct ProcessEnded {};

// The services of the runtime: message boxes, yielding, screen, ending.
class Application {
 public:
  virtual ~Application() = default;
  // The title of message boxes; each program sets its own at start-up.
  std::string title;

  virtual std::unique_ptr<FormView> createView(Form& form) = 0;
  // A modal message box; the title defaults to the application's title.
  virtual int msgBox(std::string_view prompt, unsigned style = vbOKOnly,
                     std::string_view titleText = {}) = 0;
  // Processes every pending message, then returns.
  virtual void doEvents() = 0;
  // Sleeps until a message arrives or `ms` milliseconds pass (keeps the window alive).
  virtual void waitForMessages(int ms) = 0;
  // Runs `work` once, when the program next waits with nothing to do: after the
  // windows shown so far are on the screen.
  virtual void whenIdle(std::function<void()> work) = 0;
  virtual std::uint64_t milliseconds() = 0;
  // Processes every pending message, `times` times over.
  void yield(int times);
  // Keeps the windows answering until `done` is true (true) or `timeoutMs`
  // milliseconds have passed (false).
  bool waitUntil(const std::function<bool()>& done, int timeoutMs);
  virtual Twips screenWidth() const = 0;
  virtual Twips screenHeight() const = 0;
  // The window handle of a form's realisation (0 where there is none).
  virtual std::uintptr_t windowHandle(const Form& form) const = 0;
  // Ends the process at once: no unload handlers, nothing waited for.
  [[noreturn]] virtual void endProcess() = 0;
  // Runs the message loop until the last form is gone; returns the exit code.
  virtual int run() = 0;

  // The shared instance of form class F, created on first reference as
  // F(*this, args...); later references return the same form.
  template <class F, class... Args>
  F& defaultInstance(Args&&... args) {
    std::unique_ptr<Form>& slot = defaultForms_[&DefaultFormKey<F>::key];
    if (!slot) slot = std::make_unique<F>(*this, std::forward<Args>(args)...);
    return static_cast<F&>(*slot);
  }
  // The shared instance of F if one has been created.
  template <class F>
  F* existingInstance() const {
    auto it = defaultForms_.find(&DefaultFormKey<F>::key);
    return it == defaultForms_.end() ? nullptr : static_cast<F*>(it->second.get());
  }

  // Destroys the shared forms. A realisation calls it from its destructor, while
  // the views the forms hold can still reach it; a test, to start afresh.
  void releaseDefaultInstances() {
    auto forms = std::move(defaultForms_);
    forms.clear();
  }

 private:
  template <class F>
  struct DefaultFormKey {
    static inline const char key = 0;
  };
  std::map<const void*, std::unique_ptr<Form>> defaultForms_;
};

}  // namespace forms
