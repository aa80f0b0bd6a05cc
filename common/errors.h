// The error categories of the system. Each carries its message text; tools that do not catch an error report
// it through RunTool (common/tool_main.h) as "<program>: <message>" and exit code 1.
#pragma once

#include <stdexcept>
#include <string>

namespace jf {

// Base of every error the library raises on purpose.
class EError : public std::runtime_error {
 public:
  explicit EError(const std::string& message) : std::runtime_error(message) {}
};

// Unreadable JFile data, file input and output.
class EInOutError : public EError {
 public:
  using EError::EError;
};

// Interchange-format errors; messages begin with the operation's name.
class EFormatError : public EInOutError {
 public:
  using EInOutError::EInOutError;
};

// A file that cannot be created ("Cannot create file %s").
class EFCreateError : public EInOutError {
 public:
  using EInOutError::EInOutError;
};

// A file that cannot be opened ("Cannot open file %s").
class EFOpenError : public EInOutError {
 public:
  using EInOutError::EInOutError;
};

// Bad indices and table overflows.
class ERangeError : public EError {
 public:
  using EError::EError;
};

// An allocation the data asks for cannot be made.
class EOutOfMemory : public EError {
 public:
  using EError::EError;
};

// A text that is not a valid number or date where one is required.
class EConvertError : public EError {
 public:
  using EError::EError;
};

}  // namespace jf
