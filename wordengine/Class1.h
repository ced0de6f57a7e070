#pragma once
// Exports and imports registry files with the registry editor.
#include <string>

#include "wordengine/clsWD.h"

class Class1 {
 public:
  explicit Class1(const WordServices& services) : services_(services) {}

  void RegBackup(std::string& strFileLocation, std::string& strReg);
  // A silent import of strFile.
  void RegRestore(std::string& strFile);

 private:
  WordServices services_;
};
