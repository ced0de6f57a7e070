#include "wordengine/WordInstallation.h"

#include <cctype>
#include <optional>
#include <utility>

#include "helpers/Module1Shell.h"
#include "helpers/ReentryGuard.h"
#include "helpers/RuntimeError.h"
#include "helpers/clsRegistry.h"
#include "wordengine/RegistryEditor.h"

namespace {

const char kQ = '"';
const char* const kComKey = "Software\\Microsoft\\Office\\Word\\Addins";
const char* const kInUse =
    "The Word Normal.dot default template appears to be in use. Please close down any open Word "
    "documents and reboot the computer before trying this program again. Thank you.";
const char* const kTemplateInUse =
    "Word's Default Template appears to be in use. Please close any open Word documents and "
    "reboot the computer before running this program again. Thanks.";

std::string quoted(const std::string& text) {
  return kQ + text + kQ;
}

std::string text(const RegistryValue& value) {
  const std::string* s = std::get_if<std::string>(&value);
  return s ? *s : std::string();
}

std::string withoutFinalBackslash(std::string folder) {
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

bool endsWithExtension(const std::string& name, const std::string& extension) {
  if (name.size() <= extension.size() || name[name.size() - extension.size() - 1] != '.')
    return false;
  for (std::size_t i = 0; i < extension.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(name[name.size() - extension.size() + i])) !=
        extension[i])
      return false;
  return true;
}

// Set while a failed move rolls back, so a failure inside the rollback does not
// start another one.
bool rollingBack = false;

}  // namespace

WordInstallation::WordInstallation(const WordServices& services, const WordVersion& version)
    : services_(services), version_(version) {}

std::string WordInstallation::folder() const {
  return services_.sys.processes.applicationFolder();
}
std::string WordInstallation::dataKey() const {
  return std::string("Software\\Microsoft\\Office\\") + version_.office + "\\Word\\Data";
}
std::string WordInstallation::optionsKey() const {
  return std::string("Software\\Microsoft\\Office\\") + version_.office + "\\Word\\Options";
}
std::string WordInstallation::generalKey() const {
  return std::string("Software\\Microsoft\\Office\\") + version_.office + "\\Common\\General";
}

void WordInstallation::runWord(const std::string& switches) {
  RegistryEditor::Run(services_, version_.winword, version_.winword + switches,
                      RegistryEditor::kNormal);
}

void WordInstallation::restore(const std::string& file) {
  RegistryEditor::RunAndWait(services_, "regedit /S " + quoted(file));
  services_.app.yield(3);
}

void WordInstallation::backup(const std::string& file, const std::string& key) {
  RegistryEditor::Export(
      services_, RegistryEditor::ExportCommandLine(file, "HKEY_CURRENT_USER\\" + key), file);
}

// --- The operations, in slot order ------------------------------------------------------

void WordInstallation::Execute() {
  runWord(" /a /t " + quoted(folder() + version_.startupTemplate));
}
void WordInstallation::DataRestore() {
  restore(folder() + "Data.reg");
}
void WordInstallation::DataBackup() {
  backup(folder() + "Data.reg", dataKey());
}
void WordInstallation::DataRemove() {
  clsRegistry().DeleteKey(clsRegistry::kCurrentUser, dataKey(), "");
}
void WordInstallation::COMRestore() {
  restore(folder() + "\\COM.reg");
}
void WordInstallation::COMBackup() {
  backup(folder() + "\\COM.reg", kComKey);
}
void WordInstallation::COMRemove() {
  clsRegistry().DeleteKey(clsRegistry::kCurrentUser, kComKey, "");
}
void WordInstallation::OptionsRestore() {
  restore(folder() + "\\Options.reg");
}
void WordInstallation::OptionsBackup() {
  backup(folder() + "\\Options.reg", optionsKey());
}
void WordInstallation::OptionsRemove() {
  clsRegistry().DeleteKey(clsRegistry::kCurrentUser, optionsKey(), "");
}
void WordInstallation::RegServ() {
  runWord(" /r");
}
void WordInstallation::UnRegServ() {
  runWord(" /u");
}
void WordInstallation::RenameAddins() {
  renAddins(0);
}
void WordInstallation::RestoreAddins() {
  renAddins(1);
}
void WordInstallation::WordStartTemplate() {
  runWord(" /t");
}

bool WordInstallation::WordStartNormal() {
  // Nothing here may fail: without Word the answer is simply false.
  std::unique_ptr<platform::AutomationObject> word;
  try {
    word = services_.automation.create("Word.Application");
    if (word) word->getProperty("Visible");
  } catch (const std::exception&) {
  }
  services_.app.yield(2);
  const bool created = word != nullptr;
  try {
    if (word) word->callMethod("Quit");
  } catch (const std::exception&) {
  }
  services_.app.yield(10);
  word.reset();
  return created;
}

void WordInstallation::RenameTemplate() {
  int oper = 0;
  renNormal(oper);
}
void WordInstallation::RestoreTemplate() {
  int oper = 1;
  renNormal(oper);
}

// --- Moving templates and add-ins -------------------------------------------------------

bool WordInstallation::fileExists(const std::string& path) {
  return !services_.sys.files.listDirectory(path, platform::kAttrNormal).empty();
}

void WordInstallation::renAddins(int mode) {
  std::string folders[3];
  {
    const clsRegistry registry;
    folders[0] = text(registry.GetValue(clsRegistry::kCurrentUser, optionsKey(), "Startup-Path"));
    const std::string program =
        text(registry.GetValue(clsRegistry::kCurrentUser, optionsKey(), "Programdir"));
    // Word's other two start-up folders: the user's and the one beside Word.
    const std::optional<std::string> appData = Module1::GetAppDataFolder();
    if (appData && !appData->empty()) folders[1] = *appData + "\\Microsoft\\Word\\STARTUP";
    if (!program.empty()) folders[2] = withoutFinalBackslash(program) + "\\STARTUP";
  }
  const std::pair<const char*, const char*> extensions[] = {{"dot", "wbt"}, {"wll", "wbl"}};
  try {
    for (const std::string& value : folders) {
      // An empty folder would search the root of the current drive.
      if (value.empty() || value[0] == '!') continue;
      const std::string entry = withoutFinalBackslash(value) + "\\";
      for (const auto& pair : extensions) {
        const std::string from = mode == 0 ? pair.first : pair.second;
        const std::string to = mode == 0 ? pair.second : pair.first;
        // The whole listing is taken first, so the moves cannot disturb it.
        for (const std::string& name :
             services_.sys.files.listDirectory(entry + "*." + from, platform::kAttrNormal)) {
          if (!endsWithExtension(name, from)) continue;  // "*.dot" also matches A.dotx
          renFile(entry + name, entry + name.substr(0, name.size() - 3) + to, mode);
        }
      }
    }
  } catch (const std::exception&) {
  }
}

void WordInstallation::renNormal(int& oper) {
  {
    const clsRegistry registry;
    UserTemplatesFolder =
        text(registry.GetValue(clsRegistry::kCurrentUser, generalKey(), "UserTemplates"));
    SharedTemplatesFolder =
        text(registry.GetValue(clsRegistry::kCurrentUser, generalKey(), "SharedTemplates"));
    ProgramFolder = text(registry.GetValue(clsRegistry::kCurrentUser, optionsKey(), "Programdir"));
    ProgramFolderAgain = ProgramFolder;
    const std::optional<std::string> appData = Module1::GetAppDataFolder();
    AppDataTemplatesFolder =
        appData && !appData->empty() ? *appData + "\\Microsoft\\Templates" : std::string();
  }
  std::string* const rows[] = {&UserTemplatesFolder, &AppDataTemplatesFolder, &ProgramFolder,
                               &SharedTemplatesFolder, &ProgramFolderAgain};
  for (std::string* row : rows) *row = withoutFinalBackslash(*row);

  const auto report = [&](const std::string& description) {
    services_.app.msgBox(kTemplateInUse, forms::vbOKOnly);
    services_.app.msgBox(description + "\r\n\r\n" + SourcePath + "\r\n", forms::vbInformation);
  };
  for (const std::string* row : rows) {
    if (row->empty()) continue;  // no folder named: nothing to search
    try {
      const std::string inUse = *row + "\\Normal.dot";
      const std::string outOfUse = *row + "\\0Normal.dot";
      SourcePath = oper == 0 ? inUse : outOfUse;
      TargetPath = oper == 0 ? outOfUse : inUse;
      if (SourcePath[0] != '!' && fileExists(SourcePath)) renFile(SourcePath, TargetPath, oper);
    } catch (const RuntimeError& e) {
      report(e.description());
    } catch (const std::exception& e) {
      report(e.what());
    }
  }
}

int WordInstallation::renFile(const std::string& source, const std::string& target, int mode) {
  if (mode != 0 && mode != 1) return 1;
  platform::FileSystemApi& files = services_.sys.files;
  // A file left by an earlier run (an older 0Normal.dot) is never replaced.
  if (files.pathFileExists(target)) return 1;
  try {
    services_.app.yield(6);
    const bool copied = files.copyFile(source, target);
    services_.app.yield(12);
    const std::optional<std::uint64_t> sourceLength = files.fileLength(source);
    const std::optional<std::uint64_t> targetLength = files.fileLength(target);
    if (!copied || !sourceLength || targetLength != sourceLength) {
      // The source stays whatever the answer: it is the only good copy. A copy cut
      // short is ours and goes, so a later run is not kept from moving the file.
      if (targetLength) files.deleteFiles(target);
      if (version_.asksWhenCopyMissing && !fileExists(target))
        services_.app.msgBox(target + "\r\n\r\n\r\n\r\n", forms::vbYesNo | forms::vbQuestion);
      return 1;
    }
    if (!files.deleteFiles(source)) {
      // The source is still whole; the copy beside it would only block a later move.
      files.deleteFiles(target);
      throw RuntimeError(errors::kPermissionDenied, "", "Permission denied");
    }
    return 1;
  } catch (const std::exception&) {
    // Inside the rollback this file stays as it is and the rollback goes on with
    // the next; the application ends when the rollback is done.
    if (!rollingBack) failInUse();
    return 1;
  }
}

void WordInstallation::failInUse() {
  services_.app.msgBox(kInUse, forms::vbOKOnly);
  {
    const ReentryGuard guard(rollingBack);
    const std::shared_ptr<clsWD> wd = CurrentWD;
    if (wd) {
      void (clsWD::*const steps[])() = {&clsWD::COMRestore, &clsWD::DataRestore,
                                        &clsWD::OptionsRestore, &clsWD::RestoreAddins};
      for (auto step : steps) {
        try {
          ((*wd).*step)();
        } catch (const std::exception&) {
          // A restore that cannot run must not keep the others from running.
        }
      }
    }
  }
  services_.app.endProcess();
}
