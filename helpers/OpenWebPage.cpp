#include "helpers/OpenWebPage.h"

#include <optional>

const char kMakerWebHost[] = "www.corvane.com";
const char kScratchHtmlContent[] = "\"<HTML> <\\HTML>\"\r\n";

namespace {

std::string trimBlanks(const std::string& s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const auto last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

// Deletes the scratch file however the call ends.
class ScratchFile {
 public:
  ScratchFile(platform::FileSystemApi& files, std::optional<std::string> path)
      : files_(files), path_(std::move(path)) {}
  ~ScratchFile() {
    if (path_) files_.deleteFiles(*path_);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::optional<std::string>& path() const { return path_; }

 private:
  platform::FileSystemApi& files_;
  std::optional<std::string> path_;
};

}  // namespace

void OpenWebPage(forms::Application& app, platform::Platform& sys, std::uintptr_t ownerWindow,
                 const std::string& url, bool reportLaunchFailure) {
  const unsigned style = forms::vbOKOnly | forms::vbExclamation;
  platform::ShellApi& shell = sys.shell;
  ScratchFile scratch(sys.files, shell.createScratchHtmlFile(kScratchHtmlContent));
  std::string browser;
  std::intptr_t found = 0;
  if (scratch.path()) {
    std::string buffer;
    found = shell.findExecutable(*scratch.path(), buffer);
    browser = trimBlanks(buffer);
  }
  if (found <= 32 || browser.empty()) {
    app.msgBox("Could not find associated Browser", style, "Browser Not Found");
    return;
  }
  const std::intptr_t started = shell.shellExecute(ownerWindow, "open", browser, url, 1);
  if (reportLaunchFailure && started <= 32) app.msgBox("Web Page not Opened", style, "URL Failed");
}
