#include "helpers/clsFileSystem.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

#include "helpers/RuntimeError.h"

namespace {

const char* const kSource = "clsFileSystem";

[[noreturn]] void raise(long number, const std::string& description) {
  throw RuntimeError(number, kSource, description);
}

// True when `path` names a root or nothing at all: "", "C:", "C:\", "\",
// "\\server\share\", the same spelled with "/", "." or "..", and a relative path that
// climbs above the current folder. Emptying any of these could empty a whole drive or
// share. The current folder itself (".") is a folder like any other.
bool namesRoot(const std::string& path) {
  std::string p(path);
  std::replace(p.begin(), p.end(), '/', '\\');
  std::size_t pos = 0;
  const bool relative = !p.empty() && p[0] != '\\' && !(p.size() >= 2 && p[1] == ':');
  if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
    pos = 2;
  } else if (p.compare(0, 2, "\\\\") == 0) {
    // Server and share name belong to the root.
    const std::size_t serverEnd = p.find('\\', 2);
    if (serverEnd == std::string::npos || serverEnd == 2) return true;
    const std::size_t shareEnd = p.find('\\', serverEnd + 1);
    if (shareEnd == std::string::npos) return true;
    pos = shareEnd;
  }
  std::size_t depth = 0;
  while (pos <= p.size()) {
    std::size_t end = p.find('\\', pos);
    if (end == std::string::npos) end = p.size();
    std::string part = p.substr(pos, end - pos);
    while (!part.empty() && part.back() == ' ') part.pop_back();
    if (part == "..") {
      if (depth == 0) return true;
      --depth;
    } else {
      // Windows drops trailing dots and spaces, so "..." and "." name nothing.
      while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
      if (!part.empty()) ++depth;
    }
    pos = end + 1;
  }
  return depth == 0 && !relative;
}

// length / 1024 to four decimals, ties to even, without trailing zeros. Exact
// integer arithmetic: the fraction is rest/1024 = rest * 625 / 64 ten-thousandths.
std::string kilobytes(std::uint64_t length, const std::string& decimalSeparator) {
  const std::uint64_t whole = length / 1024;
  const std::uint64_t scaled = (length % 1024) * 625;
  std::uint64_t tenThousandths = scaled / 64;
  const std::uint64_t remainder = scaled % 64;
  // Below 1024 / 1024, so rounding never carries into the whole part.
  if (remainder > 32 || (remainder == 32 && tenThousandths % 2 == 1)) ++tenThousandths;
  std::string text = std::to_string(whole);
  if (tenThousandths != 0) {
    std::string digits = std::to_string(tenThousandths);
    digits.insert(0, 4 - digits.size(), '0');
    digits.erase(digits.find_last_not_of('0') + 1);
    text += decimalSeparator + digits;
  }
  return text + "KB";
}

}  // namespace

clsFileSystem::clsFileSystem(platform::FileSystemApi& files, forms::Application& app)
    : files_(files), app_(app) {}

bool clsFileSystem::FileExist(const std::string& strFile) {
  return files_.pathFileExists(strFile);
}

void clsFileSystem::Save(const std::string& FileName) {
  if (!FileReal(FileName)) return;
  if (app_.msgBox("Overwrite File?", forms::vbYesNo) == forms::vbYes) {
    const std::string copy = FileName;
    DeleteFile(copy);
  }
}

bool clsFileSystem::FileReal(const std::string& FileName) {
  const auto names = files_.listDirectory(FileName, platform::kAttrNormal);
  return !names.empty() && names.front() == FileName;
}

std::string clsFileSystem::GetFileSize(const std::string& FileName) {
  const auto length = files_.fileLength(FileName);
  if (!length) return "0B";
  if (*length < 1024) return std::to_string(*length) + "B";
  return kilobytes(*length, files_.decimalSeparator());
}

std::string clsFileSystem::GetAttrib(const std::string& FileName) {
  const auto attributes = files_.fileAttributes(FileName);
  if (!attributes) return "Unknown";
  switch (*attributes) {
    case platform::kAttrAlias:
      return "Alias";
    case platform::kAttrArchive:
      return "Archive";
    case platform::kAttrDirectory:
      return "Directory";
    case platform::kAttrHidden:
      return "Hidden";
    case platform::kAttrNormal:
      return "Normal";
    case platform::kAttrReadOnly:
      return "ReadOnly";
    case platform::kAttrSystem:
      return "System";
    case platform::kAttrVolume:
      return "Volume";
    default:
      return std::to_string(*attributes);
  }
}

void clsFileSystem::SetHidden(const std::string& FileName) {
  files_.setFileAttributes(FileName, platform::kAttrHidden);
}

void clsFileSystem::SetReadOnly(const std::string& FileName) {
  files_.setFileAttributes(FileName, platform::kAttrReadOnly);
}

void clsFileSystem::SetSystem(const std::string& FileName) {
  files_.setFileAttributes(FileName, platform::kAttrSystem);
}

void clsFileSystem::SetNormal(const std::string& FileName) {
  files_.setFileAttributes(FileName, platform::kAttrNormal);
}

std::string clsFileSystem::GetFileExtension(const std::string& FileName) {
  const std::size_t n = FileName.size();
  // A dot as the second- to fifth-to-last character, nearest to the end first.
  for (std::size_t fromEnd = 2; fromEnd <= 5 && fromEnd <= n; ++fromEnd) {
    if (FileName[n - fromEnd] == '.') return FileName.substr(n - fromEnd + 1);
  }
  return "Unknown";
}

std::string clsFileSystem::GetFileDate(const std::string& FileName) {
  return files_.fileDateTime(FileName).value_or(std::string());
}

void clsFileSystem::DeleteFile(const std::string& FileName) {
  if (!files_.deleteFiles(FileName)) app_.msgBox("Error deleting File", forms::vbOKOnly);
}

void clsFileSystem::CopyFile(const std::string& Source, const std::string& Destination) {
  files_.copyFile(Source, Destination);
}

void clsFileSystem::MoveFile(const std::string& Source, const std::string& Destination) {
  // The source goes only once the destination is known to hold all of it.
  const auto sourceLength = files_.fileLength(Source);
  const bool copied = files_.copyFile(Source, Destination) && sourceLength &&
                      files_.fileLength(Destination) == sourceLength;
  if (!copied || !files_.deleteFiles(Source)) app_.msgBox("Error moving File", forms::vbOKOnly);
}

void clsFileSystem::MakeDIR(const std::string& Path) {
  files_.createDirectory(Path);
}

void clsFileSystem::RemoveDIR(const std::string& Path) {
  if (!files_.removeDirectory(Path)) app_.msgBox("Error removing Directory", forms::vbOKOnly);
}

void clsFileSystem::CloseAllFiles() {
  files_.closeAllFiles();
}

std::string clsFileSystem::GetFileBaseName(const std::string& FileName, bool IncludePath) {
  std::size_t folderEnd = std::string::npos;  // the ":" or "\" that ends the folder part
  std::size_t lastDot = std::string::npos;
  for (std::size_t i = FileName.size(); i-- > 0;) {
    const char c = FileName[i];
    if (c == ':' || c == '\\') {
      folderEnd = i;
      break;
    }
    if (c == '.' && lastDot == std::string::npos) lastDot = i;
  }
  if (IncludePath) return lastDot == std::string::npos ? FileName : FileName.substr(0, lastDot);
  const std::size_t begin = folderEnd == std::string::npos ? 0 : folderEnd + 1;
  // A leading dot (".profile") is part of the name.
  const bool dotEndsName = lastDot != std::string::npos && lastDot != 0;
  const std::size_t end = dotEndsName ? lastDot : FileName.size();
  return FileName.substr(begin, end - begin);
}

std::string clsFileSystem::GetFileName(const std::string& strPath) {
  const std::size_t slash = strPath.rfind('\\');
  if (slash == std::string::npos || slash == 0) {
    raise(errors::kInvalidProcedureCall, "Invalid procedure call or argument");
  }
  return strPath.substr(slash + 1);
}

std::string clsFileSystem::GetPath(const std::string& PathFile) {
  const std::size_t slash = PathFile.rfind('\\');
  if (slash == std::string::npos) return "\\";
  return PathFile.substr(0, slash + 1);
}

void clsFileSystem::CreateDirectoryStruct(const std::string& CreateThisPath) {
  if (!files_.listDirectory(CreateThisPath, platform::kAttrDirectory).empty()) return;

  const std::size_t length = CreateThisPath.size();
  std::size_t start = 3;  // just after "C:\"
  if (CreateThisPath.compare(0, 2, "\\\\") == 0) {
    // Just after the "\" that ends the share name of \\server\share\.
    const std::size_t serverEnd = CreateThisPath.find('\\', 2);
    const std::size_t shareEnd =
        serverEnd == std::string::npos ? serverEnd : CreateThisPath.find('\\', serverEnd + 1);
    start = shareEnd == std::string::npos ? length : shareEnd + 1;
  }
  start = std::min(start, length);
  std::string built = CreateThisPath.substr(0, start);
  do {
    std::size_t nameEnd = CreateThisPath.find('\\', start);
    if (nameEnd == std::string::npos) nameEnd = length;
    const std::string piece = built + CreateThisPath.substr(start, nameEnd - start);
    start = std::min(nameEnd + 1, length);

    const bool exists = clsFileSystem(files_, app_).FileExist(piece);
    app_.doEvents();
    if (!exists && !files_.createDirectory(piece)) {
      raise(errors::kPathFileAccessError, "Path/File access error: " + piece);
    }
    built = CreateThisPath.substr(0, start);
  } while (built != CreateThisPath);
}

std::string clsFileSystem::sRemoveLastChar(std::string sPassString) {
  if (!sPassString.empty()) sPassString.pop_back();
  return sPassString;
}

std::string clsFileSystem::LastChar(const std::string& strText) {
  if (strText.empty()) raise(errors::kInvalidProcedureCall, "Invalid procedure call or argument");
  return strText.substr(strText.size() - 1);
}

void clsFileSystem::CleanAllPath(std::string& sPath) {
  if (namesRoot(sPath)) {
    raise(errors::kInvalidProcedureCall, "Refused to empty a root folder: \"" + sPath + "\"");
  }
  app_.yield(3);
  if (sPath.back() != '\\') sPath += '\\';

  auto clearAttributes = [&](const std::string& name) {
    const std::string file = sPath + name;
    if (!files_.setFileAttributes(file, platform::kAttrNormal)) {
      raise(errors::kFileNotFound, "File not found: " + file);
    }
    return file;
  };
  auto deleteOrRaise = [&](const std::string& file) {
    if (!files_.deleteFiles(file)) {
      raise(errors::kPathFileAccessError, "Path/File access error: " + file);
    }
  };

  for (const std::string& name : files_.listDirectory(sPath + "*.*", platform::kAttrNormal)) {
    app_.yield(3);
    deleteOrRaise(clearAttributes(name));
    app_.yield(3);
  }

  app_.yield(3);
  for (const std::string& name :
       files_.listDirectory(sPath + "*.*", platform::kAttrNormal | platform::kAttrHidden)) {
    const std::string file = clearAttributes(name);
    app_.yield(3);
    deleteOrRaise(file);
    app_.yield(3);
  }

  std::vector<std::string> subfolders;
  const auto entries = files_.listDirectory(sPath, platform::kAttrDirectory);
  app_.yield(3);
  for (const std::string& name : entries) {
    app_.yield(3);
    if (name != "." && name != "..") {
      subfolders.push_back(name);
      app_.yield(3);
      app_.yield(3);
    }
    app_.yield(3);
  }

  for (const std::string& name : subfolders) {
    app_.yield(3);
    std::string subfolder = sPath + name + "\\";
    CleanAllPath(subfolder);
    app_.yield(3);
    if (!files_.removeDirectory(sPath + name)) {
      raise(errors::kPathFileAccessError, "Path/File access error: " + sPath + name);
    }
    app_.yield(3);
  }
  app_.yield(3);
}
