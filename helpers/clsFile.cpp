#include "helpers/clsFile.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "helpers/RuntimeError.h"

namespace {

const char* const kSource = "clsFile";

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

[[noreturn]] void raiseFileError(int error) {
  if (error == ENOENT) throw RuntimeError(errors::kPathNotFound, kSource, "Path not found");
  throw RuntimeError(errors::kPathFileAccessError, kSource, "Path/File access error");
}

}  // namespace

void clsFile::FileWrite(const std::string& strfileName, const std::string& strText) {
  errno = 0;
  // Binary mode: the line break is written as CR LF on every platform.
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(strfileName.c_str(), "wb"));
  if (!file) raiseFileError(errno);
  const std::string content = strText + "\r\n";
  const bool written = std::fwrite(content.data(), 1, content.size(), file.get()) == content.size();
  if (std::fclose(file.release()) != 0 || !written) raiseFileError(errno);
}

std::string clsFile::sRemoveLastChar(std::string sPassString) {
  if (!sPassString.empty()) sPassString.pop_back();
  return sPassString;
}

std::string clsFile::LastChar(const std::string& strText) {
  if (strText.empty())
    throw RuntimeError(errors::kInvalidProcedureCall, kSource,
                       "Invalid procedure call or argument");
  return strText.substr(strText.size() - 1);
}
