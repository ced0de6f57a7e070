#pragma once
// The run-time errors that pass from a routine to its caller: a number, the
// source that raised it and a description, as the system's classes raise them.
#include <string>

#include "platform/Error.h"

class RuntimeError : public platform::Error {
 public:
  RuntimeError(long number, std::string source, std::string description);
  long number() const { return number_; }
  const std::string& source() const { return source_; }
  const std::string& description() const { return description_; }

 private:
  long number_;
  std::string source_;
  std::string description_;
};

// The platform's own error numbers that routines here raise.
namespace errors {
constexpr long kInvalidProcedureCall = 5;  // "Invalid procedure call or argument"
constexpr long kOverflow = 6;
constexpr long kFileNotFound = 53;
constexpr long kPermissionDenied = 70;
constexpr long kPathFileAccessError = 75;
constexpr long kPathNotFound = 76;
}  // namespace errors
