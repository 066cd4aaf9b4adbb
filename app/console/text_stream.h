#pragma once

#include <string_view>

// Where a console program's lines go (standard output or standard error), for a
// program that writes them its own way (a Windows console takes UTF-16).
class TextStream {
  public:
    virtual ~TextStream() = default;
    // Writes the text and a line end, in whole. Returns 0, or the error number of
    // a write that failed (ENOSPC for a full disk, EPIPE for a pipe whose reader
    // has gone).
    virtual int writeLine(std::string_view text) = 0;
};
