// Starting a program as the wizard starts expand, against Wine's real processes:
// the end-to-end repair shows the drives, the system's expand and the file times.
#include <gtest/gtest.h>

#include "e2e/E2eSupport.h"
#include "platform/win32/Win32Platform.h"

namespace {

TEST(Win32Processes, StartsTheNamedProgramWithTheExactCommandLineAndShowState) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string log = std::string(temp) + "corva-start.log";
  DeleteFileA(log.c_str());
  const std::string recorder = e2e::windowsPath(e2e::env("CORVA_RECORDER"));
  SetEnvironmentVariableA("CORVA_RECORD", log.c_str());
  platform::Win32Processes processes;
  const std::string line = "expand E:\\i386\\config.nt_ c:\\windows\\system32\\CONFIG.NT";
  auto p = processes.start(recorder, line, 2);
  ASSERT_TRUE(p);
  ASSERT_TRUE(automation::waitFor([&] { return p->exitCode().has_value(); }, 10000));
  EXPECT_EQ(*p->exitCode(), 0u);
  SetEnvironmentVariableA("CORVA_RECORD", nullptr);
  EXPECT_EQ(e2e::readFile(log), line + "|2|" + recorder + "\n");
  DeleteFileA(log.c_str());
  EXPECT_EQ(processes.start(std::string(temp) + "missing.exe", "missing", 2), nullptr);
}

}  // namespace
