#pragma once
// Helpers that build a form's controls in the order its layout table reads: one
// call per row, the container's controls top first.
#include <string>
#include <string_view>

#include "forms/Forms.h"

namespace forms {

// How a label (or another painted control) looks. It views its text rather than
// keeping it: hand a Look to label() in the statement that makes it.
struct Look {
  std::string_view text;
  Font font;
  BackStyle back = BackStyle::Transparent;
  Color foreColor = kSysButtonText;
  Color backColor = kSysButtonFace;
  Alignment alignment = Alignment::Left;
  bool autoSize = false;
  bool visible = true;
};

Font underlined(Font f);
Font bold(Font f);

Look transparentText(const char* text, const Font& font);
Look centred(Look look);
// Text on an opaque banner: white on `back`, centred.
Look banner(const char* text, const Font& font, Color back);
// A link: underlined text in pure blue on nothing.
Look link(std::string_view text, const Font& font);
// Text on the label's own (system) colour, as a label looks unless told otherwise.
Look plainText(const char* text, const Font& font);
// An opaque panel with no text.
Look panel(Color back);

Control& label(Form& f, const char* name, Control* in, Twips l, Twips t, Twips w, Twips h,
               const Look& look, int index = -1);
Control& image(Form& f, const char* name, Control* in, Twips l, Twips t, Twips w, Twips h,
               const char* picture);
Control& shape(Form& f, const char* name, Control* in, Twips l, Twips t, Twips w, Twips h,
               int index = -1);
// A square outline drawn with a pen `borderWidth` pixels wide.
Control& outline(Form& f, const char* name, Control* in, Twips l, Twips t, Twips w, Twips h,
                 int borderWidth);
Control& checkBox(Form& f, const char* name, Control* in, Twips l, Twips t, Twips w, Twips h,
                  const char* text, int value, const Font& font, bool visible);
Control& commandButton(Form& f, const char* name, Control* in, Twips l, Twips t, Twips w, Twips h,
                       const char* caption, int tabIndex, bool enabled = true);
// A page of a wizard: frame `name`(index) without border or caption on the form.
Control& page(Form& f, const char* name, int index, Twips l, Twips t, Twips w, Twips h, Color back);

}  // namespace forms
