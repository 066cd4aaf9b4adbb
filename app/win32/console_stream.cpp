#include "app/win32/console_stream.h"

#include <windows.h>

#include "app/win32/text.h"

ConsoleStreamBuffer::ConsoleStreamBuffer(unsigned long standardHandle) : which_(standardHandle) {}

ConsoleStreamBuffer::~ConsoleStreamBuffer() {
    sync();
}

ConsoleStreamBuffer::int_type ConsoleStreamBuffer::overflow(int_type c) {
    if (!traits_type::eq_int_type(c, traits_type::eof())) pending_ += traits_type::to_char_type(c);
    return traits_type::not_eof(c);
}

std::streamsize ConsoleStreamBuffer::xsputn(const char* text, std::streamsize count) {
    pending_.append(text, static_cast<std::size_t>(count));
    return count;
}

int ConsoleStreamBuffer::sync() {
    if (pending_.empty()) return 0;
    const HANDLE handle = GetStdHandle(which_);
    DWORD mode = 0, written = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        // No such stream (started detached): the text has nowhere to go.
    } else if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = toWide(pending_);
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        // A closed pipe's reader does not change the exit status: the text is dropped.
        WriteFile(handle, pending_.data(), static_cast<DWORD>(pending_.size()), &written, nullptr);
    }
    pending_.clear();
    return 0;
}
