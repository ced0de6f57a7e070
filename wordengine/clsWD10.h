#pragma once
// Word 2002 (Office 10.0).
#include "wordengine/WordInstallation.h"

class clsWD10 : public WordInstallation {
 public:
  static const WordVersion kVersion;
  explicit clsWD10(const WordServices& services) : WordInstallation(services, kVersion) {}
};
