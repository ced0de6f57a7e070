// formsdemo.exe: shows the demonstration form until it is closed.
#include <windows.h>

#include "demo/DemoForm.h"
#include "forms/win32/Win32Application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  forms::Win32Application app(instance);
  DemoForm form(app);
  form.show();
  return app.run();
}
