#pragma once

#include <string_view>

#include "app/console/text_stream.h"

// Standard output or standard error of a console program: UTF-8 text goes to a
// console window as UTF-16 (WriteConsoleW), whatever the console's code page, and
// to a file or a pipe as the UTF-8 bytes themselves with CR LF line ends, as
// Windows tools write them. Every write is checked (see TextStream).
class ConsoleStream : public TextStream {
  public:
    explicit ConsoleStream(unsigned long standardHandle) : which_(standardHandle) {}

    int writeLine(std::string_view text) override;

  private:
    unsigned long which_;  // STD_OUTPUT_HANDLE, ...
};
