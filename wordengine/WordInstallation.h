#pragma once
// The operations for an installed Word 2002 or 2003. Both versions work alike;
// clsWD10 and clsWD11 hand in the paths, keys and the one behaviour that differ.
#include <string>

#include "wordengine/clsWD.h"

struct WordVersion {
  const char* winword;          // Word's program file
  const char* startupTemplate;  // after the application folder, for Execute
  const char* office;           // the Office key segment, "10.0" or "11.0"
  // Whether a move whose copy is missing asks the user before going on.
  bool asksWhenCopyMissing;
};

class WordInstallation : public clsWD {
 public:
  WordInstallation(const WordServices& services, const WordVersion& version);

  void Execute() override;
  void DataRestore() override;
  void DataBackup() override;
  void DataRemove() override;
  void COMRestore() override;
  void COMBackup() override;
  void COMRemove() override;
  void OptionsRestore() override;
  void OptionsBackup() override;
  void OptionsRemove() override;
  void RegServ() override;
  void UnRegServ() override;
  void RenameAddins() override;
  void RestoreAddins() override;
  void WordStartTemplate() override;
  bool WordStartNormal() override;
  void RenameTemplate() override;
  void RestoreTemplate() override;

  // Moves each Normal.dot aside to 0Normal.dot (oper 0), or back (oper 1).
  void renNormal(int& oper);

  // Filled by renNormal on each call.
  std::string UserTemplatesFolder;
  std::string SharedTemplatesFolder;
  std::string AppDataTemplatesFolder;
  std::string ProgramFolder;
  std::string ProgramFolderAgain;
  std::string SourcePath;
  std::string TargetPath;

 private:
  // Renames the add-in files out of use (mode 0) or back (mode 1).
  void renAddins(int mode);
  // Moves one file by copy, check and delete; 1 after every normal run.
  int renFile(const std::string& source, const std::string& target, int mode);
  // Tells the user, rolls back through CurrentWD and ends the application.
  void failInUse();

  std::string folder() const;
  std::string optionsKey() const;
  std::string generalKey() const;
  std::string dataKey() const;
  void runWord(const std::string& switches);
  void restore(const std::string& file);
  void backup(const std::string& file, const std::string& key);
  bool fileExists(const std::string& path);

  WordServices services_;
  WordVersion version_;
};
