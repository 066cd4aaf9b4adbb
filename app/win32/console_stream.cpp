#include "app/win32/console_stream.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "app/win32/text.h"

namespace {

// The C error number that tells what a failed write's Windows error means.
int errorNumber(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_NO_DATA:  // the pipe is being closed
        case ERROR_BROKEN_PIPE:
        case ERROR_PIPE_NOT_CONNECTED:
            return EPIPE;
        default:
            return EIO;
    }
}

// Writes all of the bytes to a file or a pipe.
bool writeAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

int ConsoleStream::writeLine(std::string_view text) {
    const HANDLE handle = GetStdHandle(which_);
    // No such stream (started detached): the text has nowhere to go.
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return 0;
    DWORD mode = 0;
    bool written;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = toWide(text) + L"\n";
        DWORD count = 0;
        written = WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &count,
                                nullptr) != 0;
    } else {
        // Every LF a line end (terminal text spells out any other), each a CR LF.
        std::string crlf;
        crlf.reserve(text.size() + text.size() / 16 + 2);
        for (const char c : text) {
            if (c == '\n') crlf += '\r';
            crlf += c;
        }
        written = writeAll(handle, crlf + "\r\n");
    }
    return written ? 0 : errorNumber(GetLastError());
}
