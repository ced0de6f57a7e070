// What a screen reader reads of the controls a window paints: each is a simple
// child of the window's client object (Active Accessibility), named by its text,
// with its role, place and state. The system parts come from the standard object.
// oleacc, ole32 and oleaut32 are loaded only when an assistive tool first asks.
#include <windows.h>

#include <oleacc.h>

#include <algorithm>

#include "forms/win32/Win32FormView.h"
#include "platform/win32/LateBound.h"

namespace forms {

namespace {

// Written out: the one in mingw's liboleacc.a does not match.
const IID kIAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const IID kIDispatch = {0x00020400, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kIUnknown = {0, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};

BSTR toBstr(const std::string& text) {
  static platform::LateBound<decltype(&SysAllocStringLen)> alloc("oleaut32.dll",
                                                                 "SysAllocStringLen");
  if (!alloc.get()) return nullptr;
  const int n =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  BSTR b = alloc.get()(nullptr, static_cast<UINT>(n));
  if (b) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), b, n);
  return b;
}

// As the label shows it: "&&" is one ampersand, a single one marks the access key.
std::string shownText(const std::string& caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

void setLong(VARIANT* v, long value) {
  v->vt = VT_I4;
  v->lVal = value;
}

}  // namespace

class Win32Accessible final : public IAccessible {
 public:
  Win32Accessible(Win32FormView* view, HWND h, const Control* container, IAccessible* standard)
      : view_(view), h_(h), container_(container), standard_(standard) {}

  HWND window() const { return h_; }
  // The view is going: calls from here on answer that the object is gone.
  void disconnect() {
    view_ = nullptr;
    if (standard_) standard_->Release();
    standard_ = nullptr;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, kIUnknown) || IsEqualIID(riid, kIDispatch) ||
        IsEqualIID(riid, kIAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long left = --refs_;
    if (!left) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    *out = nullptr;
    return standard_ ? standard_->get_accParent(out) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override {
    *n = view_ ? static_cast<long>(view_->readable(container_).size()) : 0;
    return view_ ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** out) override {
    *out = nullptr;  // simple elements: the caller addresses them by number
    return S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* out) override {
    *out = nullptr;
    const Control* c = nullptr;
    HRESULT hr = child(id, &c);
    if (hr != S_OK) return hr;
    std::string name;
    if (c)
      name = c->kind() == ControlKind::Image ? c->description() : shownText(c->caption());
    else if (!container_)
      name = view_->form_.caption.empty() ? view_->form_.accessibleName : view_->form_.caption;
    else
      return standard_ ? standard_->get_accName(id, out) : S_FALSE;
    *out = toBstr(name);
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* out) override {
    const Control* c = nullptr;
    HRESULT hr = child(id, &c);
    if (hr != S_OK) return hr;
    setLong(out, !c                                ? ROLE_SYSTEM_CLIENT
                 : c->isLink()                     ? ROLE_SYSTEM_LINK
                 : c->kind() == ControlKind::Image ? ROLE_SYSTEM_GRAPHIC
                                                   : ROLE_SYSTEM_STATICTEXT);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* out) override {
    const Control* c = nullptr;
    HRESULT hr = child(id, &c);
    if (hr != S_OK) return hr;
    if (!c) {
      if (standard_) return standard_->get_accState(id, out);
      setLong(out, IsWindowVisible(h_) ? 0 : STATE_SYSTEM_INVISIBLE);
      return S_OK;
    }
    long state = STATE_SYSTEM_READONLY;
    if (!seen(*c)) state |= STATE_SYSTEM_INVISIBLE;
    if (c->isLink()) {
      state = STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE | (state & STATE_SYSTEM_INVISIBLE);
      if (view_->focused() == c) state |= STATE_SYSTEM_FOCUSED;
    }
    if (!c->effectivelyEnabled()) state |= STATE_SYSTEM_UNAVAILABLE;
    setLong(out, state);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* hgt, VARIANT id) override {
    const Control* c = nullptr;
    HRESULT hr = child(id, &c);
    if (hr != S_OK) return hr;
    RECT r{};
    if (c) {
      r = drawn(*c);
    } else {
      if (standard_) return standard_->accLocation(x, y, w, hgt, id);
      GetClientRect(h_, &r);
    }
    ClientToScreen(h_, reinterpret_cast<POINT*>(&r.left));
    ClientToScreen(h_, reinterpret_cast<POINT*>(&r.right));
    *x = r.left;
    *y = r.top;
    *w = r.right - r.left;
    *hgt = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    out->vt = VT_EMPTY;
    if (!view_) return E_FAIL;
    const std::vector<const Control*> all = view_->readable(container_);
    const Control* focused = view_->focused();
    const auto at = std::find(all.begin(), all.end(), focused);
    if (at != all.end() && GetFocus() == h_) {
      setLong(out, static_cast<long>(at - all.begin()) + 1);
      return S_OK;
    }
    return standard_ ? standard_->get_accFocus(out) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    out->vt = VT_EMPTY;
    if (!view_) return E_FAIL;
    const std::vector<const Control*> all = view_->readable(container_);
    POINT p{x, y};
    ScreenToClient(h_, &p);
    for (size_t i = 0; i < all.size(); ++i) {
      const RECT r = drawn(*all[i]);
      if (seen(*all[i]) && PtInRect(&r, p)) {
        setLong(out, static_cast<long>(i) + 1);
        return S_OK;
      }
    }
    return standard_ ? standard_->accHitTest(x, y, out) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override {
    const Control* c = nullptr;
    HRESULT hr = child(id, &c);
    if (hr != S_OK) return hr;
    if (!c) return standard_ ? standard_->accDoDefaultAction(id) : DISP_E_MEMBERNOTFOUND;
    if (!c->isLink()) return DISP_E_MEMBERNOTFOUND;
    // The caller waits for the answer; the click comes when the program is idle.
    Control* link = const_cast<Control*>(c);
    view_->form_.whenIdle([link] { link->userClick(); });
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* out) override {
    *out = nullptr;
    const Control* c = nullptr;
    HRESULT hr = child(id, &c);
    if (hr != S_OK) return hr;
    if (!c) return standard_ ? standard_->get_accDefaultAction(id, out) : S_FALSE;
    if (!c->isLink()) return S_FALSE;
    *out = toBstr("Jump");
    return S_OK;
  }

  // The rest is the window's own, as the standard object gives it.
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* out) override {
    return self(id) ? standard_->get_accValue(id, out) : none(out);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* out) override {
    return self(id) ? standard_->get_accDescription(id, out) : none(out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT id, BSTR* out) override {
    return self(id) ? standard_->get_accHelp(id, out) : none(out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT id, long* topic) override {
    if (self(id)) return standard_->get_accHelpTopic(file, id, topic);
    *topic = 0;
    return none(file);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* out) override {
    return self(id) ? standard_->get_accKeyboardShortcut(id, out) : none(out);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    out->vt = VT_EMPTY;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* out) override {
    out->vt = VT_EMPTY;
    return self(start) ? standard_->accNavigate(dir, start, out) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }

 private:
  ~Win32Accessible() { disconnect(); }

  // The painted control `id` names (nullptr for the window itself).
  HRESULT child(const VARIANT& id, const Control** out) const {
    if (!view_) return E_FAIL;
    if (id.vt != VT_I4) return E_INVALIDARG;
    if (id.lVal == CHILDID_SELF) return S_OK;
    const std::vector<const Control*> all = view_->readable(container_);
    if (id.lVal < 1 || id.lVal > static_cast<long>(all.size())) return E_INVALIDARG;
    *out = all[static_cast<size_t>(id.lVal - 1)];
    return S_OK;
  }
  bool self(const VARIANT& id) const {
    return view_ && standard_ && id.vt == VT_I4 && id.lVal == CHILDID_SELF;
  }
  static HRESULT none(BSTR* out) {
    *out = nullptr;
    return S_FALSE;
  }
  RECT drawn(const Control& c) const {
    HDC dc = GetDC(h_);
    const RECT r = view_->drawnRect(dc, c);
    ReleaseDC(h_, dc);
    return r;
  }
  bool seen(const Control& c) const { return IsWindowVisible(h_) && view_->form_.inSight(c); }

  long refs_ = 1;
  Win32FormView* view_;
  HWND h_;
  const Control* container_;
  IAccessible* standard_;
};

std::vector<const Control*> Win32FormView::readable(const Control* container) const {
  // In reading order: by line, then from the left (a plain insertion keeps the
  // program small).
  const auto before = [](const Control* a, const Control* b) {
    return a->top() != b->top() ? a->top() < b->top() : a->left() < b->left();
  };
  std::vector<const Control*> all;
  for (const Control* c : form_.stacking(container))
    if ((c->kind() == ControlKind::Label && !c->caption().empty()) ||
        (c->kind() == ControlKind::Image && !c->description().empty())) {
      auto at = all.end();
      while (at != all.begin() && before(c, *(at - 1))) --at;
      all.insert(at, c);
    }
  return all;
}

LRESULT Win32FormView::accessibleObject(HWND h, const Control* container, WPARAM wp) {
  static platform::LateBound<decltype(&LresultFromObject)> lresult("oleacc.dll",
                                                                   "LresultFromObject");
  static platform::LateBound<decltype(&CreateStdAccessibleObject)> standard(
      "oleacc.dll", "CreateStdAccessibleObject");
  static platform::LateBound<decltype(&CoInitialize)> coInitialize("ole32.dll", "CoInitialize");
  if (destroyed_ || !lresult.get() || !coInitialize.get()) return 0;
  // The object is handed to the asking process through COM.
  static const bool com = (coInitialize.get()(nullptr), true);
  (void)com;
  Win32Accessible* object = nullptr;
  for (Win32Accessible* made : accessibles_)
    if (made->window() == h) object = made;
  if (!object) {
    IAccessible* std = nullptr;
    if (standard.get())
      standard.get()(h, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&std));
    object = new Win32Accessible(this, h, container, std);
    accessibles_.push_back(object);
  }
  return lresult.get()(kIAccessible, wp, object);
}

void Win32FormView::notify(DWORD event, const Control& c) {
  static platform::LateBound<decltype(&NotifyWinEvent)> notifyWinEvent("user32.dll",
                                                                       "NotifyWinEvent");
  HWND h = containerWindow(c.container());
  if (!h || !notifyWinEvent.get()) return;
  const std::vector<const Control*> all = readable(c.container());
  const auto at = std::find(all.begin(), all.end(), &c);
  if (at != all.end())
    notifyWinEvent.get()(event, h, OBJID_CLIENT, static_cast<LONG>(at - all.begin()) + 1);
}

void Win32FormView::releaseAccessibles() {
  static platform::LateBound<decltype(&CoDisconnectObject)> disconnect("ole32.dll",
                                                                       "CoDisconnectObject");
  for (Win32Accessible* object : accessibles_) {
    object->disconnect();
    if (disconnect.get()) disconnect.get()(object, 0);
    object->Release();
  }
  accessibles_.clear();
}

}  // namespace forms
