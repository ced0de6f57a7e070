#include "wordengine/Class1.h"

#include "wordengine/RegistryEditor.h"

void Class1::RegBackup(std::string& strFileLocation, std::string& strReg) {
  RegistryEditor::Export(
      services_, "C:\\Windows\\Regedit.exe /e \"" + strFileLocation + "\" \"" + strReg + "\"",
      strFileLocation);
}

void Class1::RegRestore(std::string& strFile) {
  RegistryEditor::RunAndWait(services_, "C:\\Windows\\Regedit.exe /s " + strFile);
}
