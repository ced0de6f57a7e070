#pragma once
// File and path operations: existence, attributes, copy, move, delete, folders
// (a whole chain of them, or a folder emptied recursively) and path strings.
// Stateless: create one where it is needed and drop it afterwards.
//
// <windows.h> maps DeleteFile, CopyFile and MoveFile to its own entry points; the
// class keeps its names, so include this header after <windows.h>.
#include <string>

#include "forms/Forms.h"
#include "platform/FileSystemApi.h"

#ifdef DeleteFile
#undef DeleteFile
#endif
#ifdef CopyFile
#undef CopyFile
#endif
#ifdef MoveFile
#undef MoveFile
#endif

class clsFileSystem {
 public:
  clsFileSystem(platform::FileSystemApi& files, forms::Application& app);

  // True for an existing file or folder.
  bool FileExist(const std::string& strFile);
  // Asks "Overwrite File?" when FileReal finds the file and deletes it on Yes.
  void Save(const std::string& FileName);
  // True only for a plain file of the current folder named exactly as stored.
  bool FileReal(const std::string& FileName);
  // "512B", "1.5KB"; "0B" when the length cannot be read.
  std::string GetFileSize(const std::string& FileName);
  // "Archive", "ReadOnly"... for a single attribute, else the number; "Unknown".
  std::string GetAttrib(const std::string& FileName);
  // These replace every attribute by the one named.
  void SetHidden(const std::string& FileName);
  void SetReadOnly(const std::string& FileName);
  void SetSystem(const std::string& FileName);
  void SetNormal(const std::string& FileName);
  // Up to four characters after a dot near the end, else "Unknown".
  std::string GetFileExtension(const std::string& FileName);
  // Last-write date and time in the user's format; empty on failure.
  std::string GetFileDate(const std::string& FileName);
  // DeleteFile and MoveFile report a failure with a message box; CopyFile is silent.
  void DeleteFile(const std::string& FileName);
  void CopyFile(const std::string& Source, const std::string& Destination);
  void MoveFile(const std::string& Source, const std::string& Destination);
  void MakeDIR(const std::string& Path);
  void RemoveDIR(const std::string& Path);
  void CloseAllFiles();
  std::string GetFileBaseName(const std::string& FileName, bool IncludePath = false);
  // After the last "\"; throws RuntimeError 5 when there is none past the first character.
  std::string GetFileName(const std::string& strPath);
  // Up to and including the last "\"; "\" when there is none.
  std::string GetPath(const std::string& PathFile);
  // Creates every missing folder along the path; throws RuntimeError when one fails.
  void CreateDirectoryStruct(const std::string& CreateThisPath);
  std::string sRemoveLastChar(std::string sPassString);
  // Throws RuntimeError 5 for an empty text.
  std::string LastChar(const std::string& strText);
  // Empties the folder recursively but keeps it; adds the missing trailing "\" to
  // sPath. Refuses roots and throws RuntimeError on the first failure.
  void CleanAllPath(std::string& sPath);

 private:
  platform::FileSystemApi& files_;
  forms::Application& app_;
};
