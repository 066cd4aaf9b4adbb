#pragma once

#include <streambuf>
#include <string>

// A stream buffer for standard output or standard error of a console program:
// UTF-8 text goes to a console window as UTF-16 (WriteConsoleW), whatever the
// console's code page, and to a file or a pipe as the UTF-8 bytes themselves.
// What is written is passed on at every flush (std::endl), in whole.
class ConsoleStreamBuffer : public std::streambuf {
  public:
    explicit ConsoleStreamBuffer(unsigned long standardHandle);  // STD_OUTPUT_HANDLE, ...
    ~ConsoleStreamBuffer() override;

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

  private:
    unsigned long which_;
    std::string pending_;
};
