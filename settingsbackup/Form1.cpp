#include "settingsbackup/Form1.h"

#include "forms/Layout.h"

namespace {
const forms::Font kArial825{"Arial", 8.25, false, false};

forms::Look text(const char* caption) {
  return forms::plainText(caption, kArial825);
}

void layOut(forms::Form& f) {
  using forms::label;
  label(f, "lblFolderName", nullptr, 240, 120, 1935, 375, text(""));
  label(f, "Label3", nullptr, 2280, 120, 1815, 375, text("could not be backed up."));
  label(f, "Label1", nullptr, 240, 600, 4215, 735,
        text("Due to the size of the folder of My Documents  Quillsafe does not back up "
             "this folder. "));
  label(f, "Label2", nullptr, 240, 1440, 4335, 735,
        text("It is recommended that you use a backup program to backup and restore "
             "the folder My Documents."));
  forms::commandButton(f, "Command1", nullptr, 1800, 2400, 1215, 495, "OK", 0);
}
}  // namespace

Form1::Form1(forms::Application& app)
    : forms::Form(app, "Form1"), lblFolderName((layOut(*this), control("lblFolderName"))) {
  caption = "Warning!";
  border = forms::FormBorder::FixedToolWindow;
  showInTaskbar = false;
  clientWidth = 4680;
  clientHeight = 3090;
  startPosition = forms::StartPosition::WindowsDefault;
  control("Command1").onClick = [this] { Command1_Click(); };
}

void Form1::Command1_Click() {
  unload();
}
