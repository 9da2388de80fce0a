#include "windows/services/parent_console.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>

#include "base/error.h"
#include "base/text.h"

namespace veltrane::platform::win32 {

namespace {

bool usable(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return usable(handle) && GetConsoleMode(handle, &mode);
}

bool writeWide(HANDLE console, std::u16string_view text) {
    // Older consoles refuse one large write: a few thousand characters at a time.
    constexpr std::size_t kChunk = 8192;
    while (!text.empty()) {
        const std::size_t count = std::min(text.size(), kChunk);
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data(), static_cast<DWORD>(count), &written, nullptr) || written == 0)
            return false;
        text.remove_prefix(written);
    }
    return true;
}

// std::cout and std::cerr on a console: the program's UTF-8 text, written as wide text line by line.
class ConsoleTextBuffer final : public std::streambuf {
public:
    explicit ConsoleTextBuffer(HANDLE console) : console_(console) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        pending_.push_back(traits_type::to_char_type(c));
        if (c == '\n' && !writePending()) return traits_type::eof();
        return c;
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        if (std::memchr(text, '\n', static_cast<std::size_t>(count)) && !writePending()) return 0;
        return count;
    }

    int sync() override { return writePending() ? 0 : -1; }

private:
    bool writePending() {
        const std::size_t whole = completeUtf8Length(pending_);
        const std::u16string text = utf8ToUtf16(std::string_view(pending_).substr(0, whole));
        pending_.erase(0, whole);
        return writeWide(console_, text);
    }

    HANDLE console_;
    std::string pending_;
};

// The console our own standard handles lack: the parent's, opened once.
HANDLE parentConsole() {
    static const HANDLE console = [] {
        if (!AttachConsole(ATTACH_PARENT_PROCESS)) return INVALID_HANDLE_VALUE;
        return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    }();
    return console;
}

// Gives a stream without a usable handle the parent's console; true when the stream has somewhere to go.
bool connect(DWORD which, std::FILE* file) {
    if (usable(GetStdHandle(which))) return true;
    const HANDLE console = parentConsole();
    if (console == INVALID_HANDLE_VALUE) return false;
    SetStdHandle(which, console);
    // C's own stream too, for anything printed through it.
    std::freopen("CONOUT$", "w", file);
    return true;
}

}  // namespace

std::size_t completeUtf8Length(std::string_view bytes) {
    // The last sequence starts at most three continuation bytes before the end.
    std::size_t start = bytes.size();
    while (start > 0 && bytes.size() - start < 3 && (static_cast<unsigned char>(bytes[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start == 0) return bytes.size();
    const auto lead = static_cast<unsigned char>(bytes[start - 1]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    // Only a lead byte still waiting for its continuation bytes is held back; a malformed end is passed on (it
    // reads as a replacement character) rather than kept for ever.
    const bool waiting = lead >= 0xC2 && lead <= 0xF4 && bytes.size() - (start - 1) < length;
    return waiting ? start - 1 : bytes.size();
}

StandardStreams attachParentConsole() {
    StandardStreams streams;
    const bool hadOutput = usable(GetStdHandle(STD_OUTPUT_HANDLE));
    const bool hadError = usable(GetStdHandle(STD_ERROR_HANDLE));
    streams.output = connect(STD_OUTPUT_HANDLE, stdout);
    streams.error = connect(STD_ERROR_HANDLE, stderr);
    // Never freed: the library flushes std::cout and std::cerr after every static object of ours has gone.
    if (isConsole(GetStdHandle(STD_OUTPUT_HANDLE)))
        std::cout.rdbuf(new ConsoleTextBuffer(GetStdHandle(STD_OUTPUT_HANDLE)));
    if (isConsole(GetStdHandle(STD_ERROR_HANDLE)))
        std::cerr.rdbuf(new ConsoleTextBuffer(GetStdHandle(STD_ERROR_HANDLE)));
    // Started from cmd.exe without waiting, the shell has already printed its prompt: start on a line of our own.
    if ((streams.output && !hadOutput) || (streams.error && !hadError)) (hadOutput ? std::cerr : std::cout) << '\n';
    return streams;
}

bool writeConsoleText(std::u16string_view text) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!isConsole(output)) return false;
    std::cout.flush();
    if (!writeWide(output, text)) throw Error("Cannot write to the console");
    return true;
}

}  // namespace veltrane::platform::win32
