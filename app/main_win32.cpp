// corva16.exe: repairs the 16-bit MS-DOS subsystem of Windows XP from its CD.
#include <windows.h>

#include <exception>

#include "app/Module1.h"
#include "forms/win32/Win32Application.h"
#include "platform/win32/LateBound.h"
#include "platform/win32/Win32System.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Probing an empty CD drive must never bring up the system's "no disk" box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // The wizard takes no typed text (its text boxes are never shown), so its thread
  // needs no input method: set up when the first window takes the focus, one costs
  // the start-up about as much as painting the whole first page.
  static platform::LateBound<BOOL(WINAPI*)(DWORD)> disableIme("imm32.dll", "ImmDisableIME");
  if (const auto disable = disableIme.get()) disable(0);

  forms::Win32Application app(instance);
  platform::Win32System system;
  platform::Platform& sys = system.platform;

  try {
    Module1::Main(app, sys);
  } catch (const std::exception&) {
    // Without its window the wizard cannot run; say so rather than vanish.
    MessageBoxA(nullptr,
                "The wizard's window could not be created, so the 16-bit MS-DOS Subsystem "
                "cannot be repaired now.\r\n\r\nPlease close some programs and try again.",
                app.title.c_str(), MB_OK | MB_ICONERROR);
    return 1;
  }
  return app.run();
}
