// How the windows of a form paint the controls that have no window of their own
// (labels, pictures, shapes), and where a click on them lands.
#include "forms/win32/Win32FormView.h"

#include <optional>

namespace forms {

COLORREF Win32FormView::colorRef(Color c) {
  if (isSystemColor(c)) return GetSysColor(static_cast<int>(c & 0xFF));
  return static_cast<COLORREF>(c & 0x00FFFFFF);
}

HBRUSH Win32FormView::brushFor(Color color) {
  auto it = brushes_.find(color);
  if (it == brushes_.end())
    it = brushes_.emplace(color, platform::GdiObject<HBRUSH>(CreateSolidBrush(colorRef(color))))
             .first;
  return it->second.get();
}

void Win32FormView::paintControl(HDC dc, const Control& c) {
  RECT r = pixelRect(c);
  switch (c.kind()) {
    case ControlKind::Label: {
      r = drawnRect(dc, c);
      const platform::Selection font(dc, fontFor(c));
      UINT format = DT_WORDBREAK;
      if (c.autoSize()) {
        format = DT_SINGLELINE;
      } else if (c.alignment() == Alignment::Center) {
        format |= DT_CENTER;
      } else if (c.alignment() == Alignment::Right) {
        format |= DT_RIGHT;
      }
      if (c.backStyle() == BackStyle::Opaque) FillRect(dc, &r, brushFor(c.backColor()));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc,
                   c.effectivelyEnabled() ? colorRef(c.foreColor()) : GetSysColor(COLOR_GRAYTEXT));
      DrawTextA(dc, c.caption().c_str(), -1, &r, format);
      break;
    }
    case ControlKind::Image:
      app_.pictures().draw(dc, c.picture(), r);
      break;
    case ControlKind::Shape: {
      if (c.backStyle() == BackStyle::Opaque) FillRect(dc, &r, brushFor(c.backColor()));
      if (c.filled()) FillRect(dc, &r, brushFor(c.fillColor()));
      HBRUSH border = brushFor(c.borderColor());
      for (int i = 0; i < c.borderWidth() && r.right - r.left > 0 && r.bottom - r.top > 0; ++i) {
        FrameRect(dc, &r, border);
        InflateRect(&r, -1, -1);
      }
      break;
    }
    default:
      break;
  }
}

void Win32FormView::paint(HWND h, const Control* container) {
  const platform::PaintDc screen(h);
  const RECT area = screen.area();
  const int w = area.right - area.left, hgt = area.bottom - area.top;
  // Stacked pages cover one another: most of them have little or nothing to show.
  if (w <= 0 || hgt <= 0) return;
  RECT client{};
  GetClientRect(h, &client);
  // Painted off screen, so that labels over pictures never flicker; only what is
  // invalid. The form's first painting goes straight to the screen: nothing of it is
  // there yet to flicker.
  struct OffScreen {
    OffScreen(HDC screen, const RECT& area, int width, int height)
        : canvas(CreateCompatibleDC(screen)),
          bitmap(CreateCompatibleBitmap(screen, width, height)),
          onBitmap(canvas.get(), bitmap.get()) {
      SetViewportOrgEx(canvas.get(), -area.left, -area.top, nullptr);
    }
    platform::MemoryDc canvas;
    platform::GdiObject<HBITMAP> bitmap;
    platform::Selection onBitmap;
  };
  std::optional<OffScreen> offScreen;
  if (onScreen_) offScreen.emplace(screen.get(), area, w, hgt);
  const HDC dc = offScreen ? offScreen->canvas.get() : screen.get();
  const Color back = container ? container->backColor() : form_.backColor;
  FillRect(dc, &area, brushFor(back));
  const auto& order = form_.stacking(container);
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    const Control& c = **it;
    if (isWindowed(c.kind()) || !c.visible()) continue;
    RECT r = pixelRect(c), overlap{};
    // Auto-sized labels may draw beyond their design size.
    if (c.autoSize() || IntersectRect(&overlap, &r, &area)) paintControl(dc, c);
  }
  if (focusedLink_ && focusedLink_->container() == container && focusedLink_->visible() &&
      GetFocus() == h) {
    RECT r = drawnRect(dc, *focusedLink_);
    DrawFocusRect(dc, &r);
  }
  if (container && container->borderStyle() == BorderStyle::FixedSingle)
    DrawEdge(dc, &client, container->kind() == ControlKind::Frame ? EDGE_ETCHED : EDGE_SUNKEN,
             BF_RECT);
  if (offScreen)
    BitBlt(screen.get(), area.left, area.top, w, hgt, dc, area.left, area.top, SRCCOPY);
}

RECT Win32FormView::drawnRect(HDC dc, const Control& c) {
  RECT r = pixelRect(c);
  if (c.kind() != ControlKind::Label || !c.autoSize()) return r;
  const platform::Selection font(dc, fontFor(c));
  RECT measure = r;
  DrawTextA(dc, c.caption().c_str(), -1, &measure, DT_CALCRECT | DT_SINGLELINE);
  r.right = r.left + (measure.right - measure.left);
  r.bottom = r.top + (measure.bottom - measure.top);
  return r;
}

// A click lands on what is drawn there, so it is measured as it is painted.
Control* Win32FormView::paintedControlAt(HWND h, const Control* container, POINT p) {
  const platform::WindowDc dc(h);
  for (Control* c : form_.stacking(container)) {
    if (isWindowed(c->kind()) || !c->visible() || c->kind() == ControlKind::Timer) continue;
    const RECT r = drawnRect(dc.get(), *c);
    if (PtInRect(&r, p)) return c;
  }
  return nullptr;
}

}  // namespace forms
