#pragma once
// The base of every exception this program raises: a message and nothing else.
// The standard library's own exception classes carry a second, reference-counted
// string implementation that would more than double the library code linked in.
#include <exception>
#include <string>
#include <utility>

namespace platform {

class Error : public std::exception {
 public:
  explicit Error(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

}  // namespace platform
