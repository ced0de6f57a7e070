// corva-auto: drives a running program's windows from the command line.
//   corva-auto state                      lists the wizard's child windows
//   corva-auto wait [MS]                  waits until the wizard window is shown
//   corva-auto click TEXT                 clicks the button with this caption
//   corva-auto wait-enabled TEXT [MS]     waits until that control is enabled
//   corva-auto set-text TEXT              types TEXT into the visible text box
//   corva-auto click-at X Y               clicks at a point of the wizard's client area
//   corva-auto msgbox [MS]                prints the open message box
//   corva-auto answer CAPTION [MS]        presses a button of the open message box
//   corva-auto screenshot FILE.bmp        saves the wizard window as it shows
//   corva-auto focus                      prints the focused control and whether the
//                                         wizard is the foreground window
//   corva-auto keys KEY...                real key presses into the wizard (xdotool names)
// The wizard is the first visible top-level window of class "CorvaForm".
#include <cstdio>
#include <cstdlib>
#include <string>

#include "automation/Automation.h"

namespace {

HWND wizard(int timeoutMs) {
  return automation::findTopLevel(0, "CorvaForm", timeoutMs);
}

int usage() {
  std::fprintf(stderr,
               "usage: corva-auto state | wait [MS] | click TEXT | wait-enabled TEXT [MS] | "
               "set-text TEXT | click-at X Y | "
               "msgbox [MS] | "
               "answer CAPTION [MS] | screenshot FILE.bmp | focus | keys KEY...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string cmd = argv[1];
  if (cmd == "wait") {
    const int ms = argc > 2 ? std::atoi(argv[2]) : 10000;
    return wizard(ms) ? 0 : 1;
  }
  if (cmd == "msgbox" || cmd == "answer") {
    automation::MessageBoxInfo box;
    const int ms =
        argc > (cmd == "answer" ? 3 : 2) ? std::atoi(argv[cmd == "answer" ? 3 : 2]) : 5000;
    if (!automation::findMessageBox(0, box, ms)) {
      std::fprintf(stderr, "no message box\n");
      return 1;
    }
    if (cmd == "msgbox") {
      std::printf("title: %s\ntext: %s\n", box.title.c_str(), box.text.c_str());
      for (const auto& b : box.buttons) std::printf("button: %s\n", b.c_str());
      return 0;
    }
    if (argc < 3) return usage();
    return automation::answerMessageBox(box, argv[2]) ? 0 : 1;
  }
  HWND form = wizard(5000);
  if (!form) {
    std::fprintf(stderr, "no wizard window\n");
    return 1;
  }
  if (cmd == "state") {
    for (const auto& w : automation::descendants(form))
      std::printf("%-14s %-8s %-8s \"%s\"\n", w.className.c_str(), w.visible ? "visible" : "hidden",
                  w.enabled ? "enabled" : "disabled", w.text.c_str());
    return 0;
  }
  if (cmd == "click" && argc > 2) {
    HWND button = automation::findChildByText(form, argv[2]);
    if (!button) {
      std::fprintf(stderr, "no control \"%s\"\n", argv[2]);
      return 1;
    }
    automation::clickButton(button);
    return 0;
  }
  if (cmd == "wait-enabled" && argc > 2) {
    const int ms = argc > 3 ? std::atoi(argv[3]) : 10000;
    return automation::waitFor(
               [&] {
                 HWND control = automation::findChildByText(form, argv[2]);
                 return control && automation::isEnabled(control);
               },
               ms)
               ? 0
               : 1;
  }
  if (cmd == "set-text" && argc > 2) {
    for (const auto& w : automation::descendants(form))
      if (w.className == "Edit" && w.visible) {
        SendMessageA(w.hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
        return 0;
      }
    std::fprintf(stderr, "no visible text box\n");
    return 1;
  }
  if (cmd == "click-at" && argc > 3) {
    automation::clickAt(form, std::atoi(argv[2]), std::atoi(argv[3]));
    return 0;
  }
  if (cmd == "focus") {
    HWND focus = automation::focusedWindow(form);
    HWND front = automation::foregroundWindow();
    std::printf(
        "focus: %s\nforeground: %s\n",
        focus ? ("\"" + automation::windowText(focus) + "\"").c_str() : "none",
        front == form ? "wizard"
        : front ? (automation::info(front).className + " \"" + automation::windowText(front) + "\"")
                      .c_str()
                : "none");
    return 0;
  }
  if (cmd == "keys" && argc > 2) {
    std::string keys;
    for (int i = 2; i < argc; ++i) keys += std::string(" ") + argv[i];
    return automation::focusForRealInput(form) && automation::realInput("key --delay 50" + keys)
               ? 0
               : 1;
  }
  if (cmd == "screenshot" && argc > 2) return automation::saveScreenshot(form, argv[2]) ? 0 : 1;
  return usage();
}
