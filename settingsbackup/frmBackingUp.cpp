#include "settingsbackup/frmBackingUp.h"

#include "forms/Layout.h"

frmBackingUp::frmBackingUp(forms::Application& app) : forms::Form(app, "frmBackingUp") {
  const forms::Font font{"MS Sans Serif", 9.75, false, false};
  const struct {
    const char* name;
    int top, height;
  } lines[] = {{"Label10", 240, 240},
               {"Label11", 720, 480},
               {"Label12", 1320, 240},
               {"Label13", 1800, 480},
               {"Label14", 2400, 600}};
  const forms::Look look = forms::centred(forms::plainText(" ", font));
  for (const auto& line : lines)
    forms::label(*this, line.name, nullptr, 240, line.top, 5400, line.height, look);
  forms::commandButton(*this, "Command1", nullptr, 4680, 3120, 1335, 375, "Command1", 0);
  caption = "Backing up...";
  border = forms::FormBorder::Sizable;
  clientWidth = 6240;
  clientHeight = 3555;
  startPosition = forms::StartPosition::CenterOwner;
}
