// orvanthe-link.exe: the command-line tool on Windows. Its arguments arrive as UTF-16, never
// through the ANSI code page. Standard input is UTF-8 from a file or a pipe, or what is typed
// at a console, read as UTF-16; results go to a console as UTF-16 and to a file or a pipe as
// UTF-8 without a byte-order mark, so that Chinese shows whatever the console's code page.
#include "codec/utf8.h"
#include "link_tool.h"

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>

namespace {

using orvanthe::encodeUtf8;

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

std::u16string_view view(const wchar_t* text, std::size_t size) {
    return {reinterpret_cast<const char16_t*>(text), size};
}

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

class WindowsStreams final : public orvanthe::cli::StandardStreams {
public:
    std::optional<std::size_t> read(std::span<char> buffer) override {
        if (inputIsConsole_) {
            return readConsole(buffer);
        }
        DWORD size = 0;
        if (ReadFile(input_, buffer.data(), DWORD(std::min<std::size_t>(buffer.size(), MAXDWORD)),
                     &size, nullptr)) {
            return size;
        }
        error_ = GetLastError();
        if (error_ == ERROR_BROKEN_PIPE) { // the writing end closed: the end of the input
            return 0;
        }
        return std::nullopt;
    }

    bool inputWaiting() override {
        switch (GetFileType(input_)) {
        case FILE_TYPE_DISK:
            return true; // a file is there to be read
        case FILE_TYPE_PIPE: {
            DWORD waiting = 0;
            return PeekNamedPipe(input_, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0;
        }
        default:
            return false; // a console, typed a line at a time: each result before reading on
        }
    }

    bool write(Out stream, std::string_view bytes) override {
        const bool error = stream == Out::Error;
        HANDLE handle = error ? errors_ : output_;
        if (error ? errorIsConsole_ : outputIsConsole_) {
            return writeConsole(handle, bytes);
        }
        while (!bytes.empty()) {
            DWORD size = 0;
            if (!WriteFile(handle, bytes.data(),
                           DWORD(std::min<std::size_t>(bytes.size(), 1 << 20)), &size, nullptr)) {
                error_ = GetLastError();
                if (!error && (error_ == ERROR_NO_DATA || error_ == ERROR_BROKEN_PIPE ||
                               error_ == ERROR_PIPE_NOT_CONNECTED)) {
                    // The reader of the output has gone (Windows says 232, Wine 233): the
                    // tool ends at once and says nothing, as the standard tools do, with the
                    // status that a shell gives one that SIGPIPE ended.
                    ExitProcess(128 + 13);
                }
                return false;
            }
            bytes.remove_prefix(size);
        }
        return true;
    }

    std::string failure() override {
        wchar_t* text = nullptr;
        const DWORD size =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error_, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        // Given back however the copy below ends.
        const std::unique_ptr<wchar_t, void (*)(wchar_t*)> held(
            text, [](wchar_t* buffer) { LocalFree(buffer); });
        std::string message = size ? encodeUtf8(view(text, size)) : std::string();
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                    message.back() == ' ' || message.back() == '.')) {
            message.pop_back();
        }
        return message + " (error " + std::to_string(error_) + ")";
    }

private:
    // Typed text, as UTF-8. A line that begins with Ctrl+Z ends the input, as it does for
    // the system's own tools.
    std::optional<std::size_t> readConsole(std::span<char> buffer) {
        // UTF-8 takes at most three bytes for each UTF-16 unit; a console gives no more
        // than a few thousand units at once anyway.
        std::vector<wchar_t> units(std::clamp<std::size_t>(buffer.size() / 3, 2, 4096));
        std::size_t size = 0;
        if (carried_) { // the first half of a pair that the last read ended in
            units[size++] = carried_;
            carried_ = 0;
        }
        DWORD read = 0;
        if (!ReadConsoleW(input_, units.data() + size, DWORD(units.size() - size), &read,
                          nullptr)) {
            error_ = GetLastError();
            return std::nullopt;
        }
        size += read;
        if (read == 0 || (atLineStart_ && units[0] == 0x1A)) {
            return 0;
        }
        if (units[size - 1] >= 0xD800 && units[size - 1] <= 0xDBFF) {
            carried_ = units[--size];
            if (size == 0) { // nothing to give yet, and 0 would mean the end
                return readConsole(buffer);
            }
        }
        atLineStart_ = units[size - 1] == L'\n';
        const std::string bytes = encodeUtf8(view(units.data(), size));
        bytes.copy(buffer.data(), bytes.size());
        return bytes.size();
    }

    bool writeConsole(HANDLE handle, std::string_view bytes) {
        std::wstring text(bytes.size(), L'\0'); // never more units than bytes
        text.resize(std::size_t(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()),
                                                    text.data(), int(text.size()))));
        std::wstring_view rest = text;
        while (!rest.empty()) {
            // Old consoles take no more than some 64 KiB at once; a pair of surrogates is
            // not split.
            std::size_t size = std::min<std::size_t>(rest.size(), 8192);
            size -= size < rest.size() && rest[size - 1] >= 0xD800 && rest[size - 1] <= 0xDBFF;
            DWORD written = 0;
            if (!WriteConsoleW(handle, rest.data(), DWORD(size), &written, nullptr)) {
                error_ = GetLastError();
                return false;
            }
            rest.remove_prefix(written);
        }
        return true;
    }

    HANDLE input_ = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE output_ = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE errors_ = GetStdHandle(STD_ERROR_HANDLE);
    bool inputIsConsole_ = isConsole(input_);
    bool outputIsConsole_ = isConsole(output_);
    bool errorIsConsole_ = isConsole(errors_);
    DWORD error_ = 0;
    wchar_t carried_ = 0;
    bool atLineStart_ = true;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int k = 1; k < argc; ++k) {
        arguments.push_back(encodeUtf8(view(argv[k], std::wcslen(argv[k]))));
    }
    WindowsStreams streams;
    return int(orvanthe::cli::runLinkTool(arguments, streams));
}
