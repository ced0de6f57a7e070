#pragma once
// Writes a text file and trims text.
#include <string>

class clsFile {
 public:
  // Creates or empties the file and writes the text and a line break (CR LF).
  // Raises RuntimeError 76 when the folder is missing, 75 for any other failure.
  void FileWrite(const std::string& strfileName, const std::string& strText);
  // All characters but the last; the empty text stays empty.
  std::string sRemoveLastChar(std::string sPassString);
  // The last character; RuntimeError 5 for the empty text.
  std::string LastChar(const std::string& strText);
};
