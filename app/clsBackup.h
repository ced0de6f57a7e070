#pragma once
// Chooses the clsWD implementation for the installed Word and drives one step of
// the repair wizard; also exports a registry key and reads the current document class.
#include <string>

#include "helpers/clsRegistry.h"
#include "wordengine/clsWD.h"

class clsBackup {
 public:
  explicit clsBackup(const WordServices& services) : services_(services) {}

  // Step 2: picks Word 2003, else Word 2002, else none, and runs its Execute.
  // Step 4: presses the wizard's Next. Every call first resets CurrentWD.
  void Backup();
  // Exports the key strReg into the file strRegfile with the registry editor.
  void RegBackup(std::string& strRegfile, std::string& strReg);
  // The default value of the WordPerfect document class's CurVer key, or Empty.
  RegistryValue GetDefaultWP();

 private:
  WordServices services_;
};
