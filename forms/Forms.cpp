#include "forms/Forms.h"

#include <algorithm>
#include <cctype>

namespace forms {

namespace {

// Orders controls by one of their numbers, keeping equal ones in their order. The
// lists are a form's controls, a few dozen at most: an insertion sort does it in a
// fraction of the library's code.
void sortBy(std::vector<Control*>& controls, int (Control::*number)() const) {
  for (size_t i = 1; i < controls.size(); ++i)
    for (size_t j = i; j > 0 && (controls[j]->*number)() < (controls[j - 1]->*number)(); --j)
      std::swap(controls[j], controls[j - 1]);
}

}  // namespace

const char* kindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Frame:
      return "Frame";
    case ControlKind::Label:
      return "Label";
    case ControlKind::Image:
      return "Image";
    case ControlKind::Shape:
      return "Shape";
    case ControlKind::PictureBox:
      return "PictureBox";
    case ControlKind::CheckBox:
      return "CheckBox";
    case ControlKind::OptionButton:
      return "OptionButton";
    case ControlKind::TextBox:
      return "TextBox";
    case ControlKind::ListBox:
      return "ListBox";
    case ControlKind::CommandButton:
      return "CommandButton";
    case ControlKind::Timer:
      return "Timer";
  }
  return "?";
}

bool isWindowed(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label:
    case ControlKind::Image:
    case ControlKind::Shape:
    case ControlKind::Timer:
      return false;
    default:
      return true;
  }
}

bool isContainerKind(ControlKind kind) {
  return kind == ControlKind::Frame || kind == ControlKind::PictureBox;
}

// --- Control -------------------------------------------------------------------

Control::Control(Form& form, ControlKind kind, std::string name, int index, Control* container)
    : form_(form), kind_(kind), name_(std::move(name)), index_(index), container_(container) {
  switch (kind) {
    case ControlKind::Label:
      backColor_ = kSysButtonFace;
      break;
    case ControlKind::TextBox:
    case ControlKind::ListBox:
      backColor_ = kSysWindowBackground;
      foreColor_ = kSysWindowText;
      break;
    case ControlKind::Shape:
      backColor_ = kWhite;
      backStyle_ = BackStyle::Transparent;
      break;
    case ControlKind::Timer:
      interval_ = 0;
      break;
    default:
      break;
  }
}

std::string Control::qualifiedName() const {
  return index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")";
}

void Control::changed(Property p) {
  form_.controlChanged(*this, p);
}

void Control::move(Twips left, Twips top, Twips width, Twips height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  changed(Property::Geometry);
}

void Control::setCaption(const std::string& text) {
  if (text == caption_) return;  // as the runtime: no change event for the same text
  caption_ = text;
  if (autoSize_) fitToText();
  changed(Property::Caption);
  if (kind_ == ControlKind::TextBox && onChange) onChange();
}

// An auto-sized label grows or shrinks to its caption. The width is estimated from
// the font here; the Win32 realisation measures the real text when it paints.
void Control::fitToText() {
  const double charTwips = font_.points * 20.0 * (font_.bold ? 0.58 : 0.52);
  width_ = rounded(charTwips * static_cast<double>(caption_.size()));
  height_ = rounded(font_.points * 20.0 * 1.2);
}

void Control::setForeColor(Color c) {
  foreColor_ = c;
  changed(Property::Colors);
}
void Control::setBackColor(Color c) {
  backColor_ = c;
  changed(Property::Colors);
}
void Control::setFillColor(Color c) {
  fillColor_ = c;
  changed(Property::Colors);
}
void Control::setBorderColor(Color c) {
  borderColor_ = c;
  changed(Property::Colors);
}
void Control::setFilled(bool filled) {
  filled_ = filled;
  changed(Property::Colors);
}
void Control::setBackStyle(BackStyle s) {
  backStyle_ = s;
  changed(Property::Colors);
}
void Control::setBorderStyle(BorderStyle s) {
  borderStyle_ = s;
  changed(Property::Colors);
}

void Control::setFont(const Font& f) {
  font_ = f;
  if (autoSize_) fitToText();
  changed(Property::Font);
}

void Control::setFontBold(bool bold) {
  Font f = font_;
  f.bold = bold;
  setFont(f);
}

void Control::setEnabled(bool e) {
  if (enabled_ == e) return;
  enabled_ = e;
  changed(Property::Enabled);
}

void Control::setVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  changed(Property::Visible);
}

bool Control::effectivelyVisible() const {
  for (const Control* c = this; c; c = c->container_)
    if (!c->visible_) return false;
  return true;
}

bool Control::effectivelyEnabled() const {
  for (const Control* c = this; c; c = c->container_)
    if (!c->enabled_) return false;
  return true;
}

void Control::setValue(int v) {
  if (kind_ == ControlKind::CheckBox && (v < 0 || v > 2))
    throw InvalidPropertyValue("Invalid property value");
  if (value_ == v) return;
  value_ = v;
  if (kind_ == ControlKind::OptionButton && v != 0) {
    // One option per container is selected.
    for (Control* sibling : form_.stacking(container_))
      if (sibling != this && sibling->kind_ == ControlKind::OptionButton && sibling->value_) {
        sibling->value_ = 0;
        form_.controlChanged(*sibling, Property::Value);
      }
  }
  changed(Property::Value);
  // Setting the value of a check box or option button in code runs its click handler.
  if ((kind_ == ControlKind::CheckBox || (kind_ == ControlKind::OptionButton && v)) && onClick)
    onClick();
}

void Control::addItem(const std::string& item) {
  list_.push_back(item);
  changed(Property::List);
}

void Control::clear() {
  list_.clear();
  changed(Property::List);
}

const std::string& Control::list(int i) const {
  if (i < 0 || i >= listCount()) throw InvalidPropertyValue("Invalid property array index");
  return list_[static_cast<size_t>(i)];
}

void Control::setList(int i, const std::string& item) {
  if (i < 0 || i >= listCount()) throw InvalidPropertyValue("Invalid property array index");
  list_[static_cast<size_t>(i)] = item;
  changed(Property::List);
}

void Control::setInterval(long long ms) {
  if (ms < 0 || ms > 65535) throw InvalidPropertyValue("Invalid property value");
  interval_ = static_cast<int>(ms);
  changed(Property::Interval);
}

void Control::setPicture(const std::string& resourceName) {
  picture_ = resourceName;
  changed(Property::Picture);
}

char Control::accessKey() const {
  for (size_t i = 0; i + 1 < caption_.size(); ++i) {
    if (caption_[i] != '&') continue;
    if (caption_[i + 1] == '&') {
      ++i;  // "&&" is a literal ampersand
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(caption_[i + 1])));
  }
  return 0;
}

void Control::setFocus() {
  if (form_.canTakeFocus(*this))
    if (FormView* view = form_.view()) view->setFocus(*this);
}

void Control::zOrder(int position) {
  form_.moveInStacking(*this, position == 0);
  changed(Property::ZOrder);
}

bool Control::userClick() {
  if (!effectivelyVisible() || !effectivelyEnabled()) return false;
  if (kind_ == ControlKind::CheckBox) {
    setValue(value_ == 1 ? 0 : 1);  // runs onClick
    return true;
  }
  if (kind_ == ControlKind::OptionButton) {
    if (value_ == 0) {
      setValue(1);  // runs onClick
    } else if (onClick) {
      onClick();
    }
    return true;
  }
  if (onClick) onClick();
  return true;
}

bool Control::tick() {
  if (kind_ != ControlKind::Timer || !enabled_ || interval_ == 0) return false;
  if (onTimer) onTimer();
  return true;
}

// --- ControlArray ----------------------------------------------------------------

Control& ControlArray::operator()(int index) const {
  for (Control* c : elements_)
    if (c->index() == index) return *c;
  throw InvalidPropertyValue("Control array element '" + std::to_string(index) + "' doesn't exist");
}

int ControlArray::lowerBound() const {
  int lo = 0;
  bool first = true;
  for (Control* c : elements_) {
    if (first || c->index() < lo) lo = c->index();
    first = false;
  }
  return lo;
}

int ControlArray::upperBound() const {
  int hi = -1;
  for (Control* c : elements_) hi = std::max(hi, c->index());
  return hi;
}

// --- Form --------------------------------------------------------------------------

Form::Form(Application& app, std::string name) : app_(app), name_(std::move(name)) {
  stacking_[nullptr];
}

Form::~Form() {
  if (view_) view_->destroy();
}

Control& Form::add(ControlKind kind, std::string_view name, Control* container, Twips left,
                   Twips top, Twips width, Twips height, int index) {
  if (container && !isContainerKind(container->kind()))
    throw DesignError(std::string(name) + ": a " + kindName(container->kind()) +
                      " holds no controls");
  if (find(name, index)) throw DesignError("duplicate control " + std::string(name));
  controls_.push_back(std::make_unique<Control>(*this, kind, std::string(name), index, container));
  Control& c = *controls_.back();
  c.setTabIndex(static_cast<int>(controls_.size()) - 1);  // creation order until set
  c.move(left, top, width, height);
  stacking_[container].push_back(&c);
  if (isContainerKind(kind)) stacking_[&c];
  return c;
}

Control* Form::find(std::string_view name, int index) const {
  for (const auto& c : controls_)
    if (c->name() == name && c->index() == index) return c.get();
  return nullptr;
}

Control& Form::control(const char* name) const {
  if (Control* c = find(name)) return *c;
  throw DesignError(std::string("no control ") + name + " on " + name_);
}

ControlArray Form::controlArray(const char* name) const {
  std::vector<Control*> elements;
  for (const auto& c : controls_)
    if (c->name() == name && c->index() >= 0) elements.push_back(c.get());
  sortBy(elements, &Control::index);
  return ControlArray(std::move(elements));
}

const std::vector<Control*>& Form::stacking(const Control* container) const {
  static const std::vector<Control*> none;
  auto it = stacking_.find(container);
  return it == stacking_.end() ? none : it->second;
}

void Form::moveInStacking(Control& control, bool toFront) {
  auto& order = stacking_[control.container()];
  order.erase(std::remove(order.begin(), order.end(), &control), order.end());
  if (toFront)
    order.insert(order.begin(), &control);
  else
    order.push_back(&control);
}

Twips Form::width() const {
  return clientWidth + (view_ ? view_->frameWidth() : 0);
}
Twips Form::height() const {
  return clientHeight + (view_ ? view_->frameHeight() : 0);
}

void Form::setPosition(Twips left, Twips top) {
  left_ = left;
  top_ = top;
  if (view_) view_->formMoved();
}

void Form::setCaption(const std::string& text) {
  caption = text;
  if (view_) view_->captionChanged();
}

void Form::show(Modality modality) {
  if (!loaded_) {
    view_ = app_.createView(*this);
    view_->create();
    loaded_ = true;
    if (onLoad) onLoad();
  }
  shown_ = true;
  view_->show(modality);
}

void Form::hide() {
  shown_ = false;
  if (view_) view_->hide();
}

void Form::unload() {
  shown_ = false;
  loaded_ = false;
  if (auto v = std::move(view_)) v->destroy();
}

void Form::whenIdle(std::function<void()> work) {
  app_.whenIdle([alive = std::weak_ptr<int>(alive_), work = std::move(work)] {
    if (alive.lock()) work();
  });
}

bool Form::pressEscape() {
  for (const auto& c : controls_)
    if (c->kind() == ControlKind::CommandButton && c->isCancel()) return c->userClick();
  return false;
}

bool Form::pressAccessKey(char key) {
  key = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
  for (Control* c : tabOrder())
    if (c->accessKey() == key) return c->userClick();
  return false;
}

namespace {

bool takesFocus(const Control& c) {
  if (c.isLink()) return true;
  switch (c.kind()) {
    case ControlKind::CommandButton:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::TextBox:
    case ControlKind::ListBox:
      return true;
    default:
      return false;
  }
}

struct Area {
  Twips left, top, right, bottom;
  bool empty() const { return right <= left || bottom <= top; }
  bool inside(const Area& o) const {
    return left >= o.left && top >= o.top && right <= o.right && bottom <= o.bottom;
  }
  Area within(const Area& o) const {
    return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
            std::min(bottom, o.bottom)};
  }
};

Area areaOf(const Control& c) {
  return {c.left(), c.top(), c.left() + c.width(), c.top() + c.height()};
}

// The inside of a container (nullptr: the form), where its controls can be seen.
Area insideOf(const Form& f, const Control* container) {
  return {0, 0, container ? container->width() : f.clientWidth,
          container ? container->height() : f.clientHeight};
}

}  // namespace

bool Form::coveredBySibling(const Control& control) const {
  const Area seen = areaOf(control).within(insideOf(*this, control.container()));
  for (const Control* above : stacking(control.container())) {
    if (above == &control) break;
    if (isWindowed(above->kind()) && above->visible() && seen.inside(areaOf(*above))) return true;
  }
  return false;
}

bool Form::canTakeFocus(const Control& control) const {
  return takesFocus(control) && control.effectivelyEnabled() && inSight(control);
}

bool Form::inSight(const Control& control) const {
  if (!control.effectivelyVisible()) return false;
  // Walk up the containers with the part of the control that is still in view,
  // clipped by each container and the form; a visible window above it in any
  // container that covers that part hides it.
  Area seen = areaOf(control);
  for (const Control* c = &control; c; c = c->container()) {
    const Control* parent = c->container();
    seen = seen.within(insideOf(*this, parent));
    if (seen.empty()) return false;
    for (const Control* above : stacking(parent)) {
      if (above == c) break;
      if (isWindowed(above->kind()) && above->visible() && seen.inside(areaOf(*above)))
        return false;
    }
    if (parent)
      seen = {seen.left + parent->left(), seen.top + parent->top(), seen.right + parent->left(),
              seen.bottom + parent->top()};
  }
  return true;
}

// Tab enters a group of option buttons at the chosen one; the arrow keys move within.
bool Form::tabStop(const Control& control) const {
  if (!canTakeFocus(control)) return false;
  if (control.kind() != ControlKind::OptionButton || control.value()) return true;
  for (const Control* c : stacking(control.container()))
    if (c->kind() == ControlKind::OptionButton && c->value() && canTakeFocus(*c)) return false;
  return true;
}

std::vector<Control*> Form::tabOrder() const {
  std::vector<Control*> order;
  for (const auto& c : controls_)
    if (tabStop(*c)) order.push_back(c.get());
  sortBy(order, &Control::tabIndex);
  return order;
}

Control* Form::nextInTabOrder(const Control* from, bool backwards) const {
  // The cycle runs over every control that could take the focus, so a control that
  // has just lost the ability still knows its place in it.
  std::vector<Control*> cycle;
  for (const auto& c : controls_)
    if (takesFocus(*c)) cycle.push_back(c.get());
  sortBy(cycle, &Control::tabIndex);
  if (backwards) std::reverse(cycle.begin(), cycle.end());
  const auto at = std::find(cycle.begin(), cycle.end(), from);
  const size_t start = at == cycle.end() ? 0 : static_cast<size_t>(at - cycle.begin()) + 1;
  for (size_t i = 0; i < cycle.size(); ++i) {
    Control* c = cycle[(start + i) % cycle.size()];
    if (tabStop(*c)) return c;
  }
  return nullptr;
}

void Form::controlChanged(Control& control, Property property) {
  if (view_) view_->controlChanged(control, property);
}

// --- Application -------------------------------------------------------------------

void Application::yield(int times) {
  for (int i = 0; i < times; ++i) doEvents();
}

bool Application::waitUntil(const std::function<bool()>& done, int timeoutMs) {
  const std::uint64_t deadline = milliseconds() + static_cast<std::uint64_t>(timeoutMs);
  for (;;) {
    if (done()) return true;
    const std::uint64_t now = milliseconds();
    if (now >= deadline) return false;
    doEvents();
    // Never past the deadline: a wait that keeps a page in front lasts just that long.
    waitForMessages(static_cast<int>(std::min<std::uint64_t>(50, deadline - now)));
  }
}

}  // namespace forms
