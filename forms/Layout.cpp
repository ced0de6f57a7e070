#include "forms/Layout.h"

namespace forms {

Font underlined(Font f) {
  f.underline = true;
  return f;
}

Font bold(Font f) {
  f.bold = true;
  return f;
}

Look transparentText(const char* text, const Font& font) {
  Look look;
  look.text = text;
  look.font = font;
  return look;
}

Look centred(Look look) {
  look.alignment = Alignment::Center;
  return look;
}

Look banner(const char* text, const Font& font, Color back) {
  Look look = centred(transparentText(text, font));
  look.back = BackStyle::Opaque;
  look.foreColor = kWhite;
  look.backColor = back;
  return look;
}

Look link(std::string_view text, const Font& font) {
  Look look;
  look.text = text;
  look.font = underlined(font);
  look.foreColor = rgb(0, 0, 255);
  return look;
}

Look plainText(const char* text, const Font& font) {
  Look look = transparentText(text, font);
  look.back = BackStyle::Opaque;
  return look;
}

Look panel(Color back) {
  Look look;
  look.back = BackStyle::Opaque;
  look.backColor = back;
  return look;
}

Control& label(Form& f, const char* name, Control* in, Twips l, Twips t, Twips w, Twips h,
               const Look& look, int index) {
  Control& c = f.add(ControlKind::Label, name, in, l, t, w, h, index);
  c.setFont(look.font);
  c.setBackStyle(look.back);
  c.setForeColor(look.foreColor);
  c.setBackColor(look.backColor);
  c.setAlignment(look.alignment);
  c.setAutoSize(look.autoSize);
  c.setCaption(std::string(look.text));
  c.move(l, t, w, h);  // the design size stands until the text changes
  c.setVisible(look.visible);
  return c;
}

Control& image(Form& f, const char* name, Control* in, Twips l, Twips t, Twips w, Twips h,
               const char* picture) {
  Control& c = f.add(ControlKind::Image, name, in, l, t, w, h);
  c.setPicture(picture);
  return c;
}

Control& shape(Form& f, const char* name, Control* in, Twips l, Twips t, Twips w, Twips h,
               int index) {
  return f.add(ControlKind::Shape, name, in, l, t, w, h, index);
}

Control& outline(Form& f, const char* name, Control* in, Twips l, Twips t, Twips w, Twips h,
                 int borderWidth) {
  Control& c = shape(f, name, in, l, t, w, h);
  c.setBorderWidth(borderWidth);
  return c;
}

Control& checkBox(Form& f, const char* name, Control* in, Twips l, Twips t, Twips w, Twips h,
                  const char* text, int value, const Font& font, bool visible) {
  Control& c = f.add(ControlKind::CheckBox, name, in, l, t, w, h);
  c.setCaption(std::string(text));
  c.setValue(value);
  c.setFont(font);
  c.setVisible(visible);
  return c;
}

Control& commandButton(Form& f, const char* name, Control* in, Twips l, Twips t, Twips w, Twips h,
                       const char* caption, int tabIndex, bool enabled) {
  Control& c = f.add(ControlKind::CommandButton, name, in, l, t, w, h);
  c.setCaption(std::string(caption));
  c.setEnabled(enabled);
  c.setTabIndex(tabIndex);
  return c;
}

Control& page(Form& f, const char* name, int index, Twips l, Twips t, Twips w, Twips h,
              Color back) {
  Control& c = f.add(ControlKind::Frame, name, nullptr, l, t, w, h, index);
  c.setBackColor(back);
  return c;
}

}  // namespace forms
