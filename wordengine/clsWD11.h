#pragma once
// Word 2003 (Office 11.0).
#include "wordengine/WordInstallation.h"

class clsWD11 : public WordInstallation {
 public:
  static const WordVersion kVersion;
  explicit clsWD11(const WordServices& services) : WordInstallation(services, kVersion) {}
};
