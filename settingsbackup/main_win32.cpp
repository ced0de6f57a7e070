// quillsafe.exe: backs up and restores the customised settings of a word processor.
#include <windows.h>

#include <exception>

#include "forms/win32/Win32Application.h"
#include "helpers/MFile.h"
#include "helpers/MIni.h"
#include "platform/win32/Win32System.h"
#include "settingsbackup/QuillsafeMain.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

  forms::Win32Application app(instance);
  platform::Win32System system;
  platform::Platform& sys = system.platform;
  BackupFileAccess access{MFile::ShowOpenFileDialog, MIni::ReadIniValue};

  try {
    Quillsafe::Main(app, sys, access);
  } catch (const std::exception&) {
    MessageBoxA(nullptr,
                "Quillsafe's window could not be created.\r\n\r\nPlease close some programs "
                "and try again.",
                app.title.c_str(), MB_OK | MB_ICONERROR);
    return 1;
  }
  return app.run();
}
