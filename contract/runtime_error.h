#pragma once

#include <stdexcept>

// A run-time error raised by a handler or by a toolkit call. Form_Load and the
// watch tick trap it; anywhere else the adapter reports it and ends the program.
class RuntimeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
