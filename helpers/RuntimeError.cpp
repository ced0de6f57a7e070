#include "helpers/RuntimeError.h"

RuntimeError::RuntimeError(long number, std::string source, std::string description)
    : platform::Error(source + ": " + description + " (" + std::to_string(number) + ")"),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}
