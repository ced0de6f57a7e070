#include "helpers/MIni.h"

#include <windows.h>

namespace {
constexpr DWORD kValueBufferLength = 255;
}

std::string MIni::ReadIniValue(const std::string& fileName, const std::string& section,
                               const std::string& key) {
  char value[kValueBufferLength];
  const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value,
                                                kValueBufferLength, fileName.c_str());
  return std::string(value, length);
}
