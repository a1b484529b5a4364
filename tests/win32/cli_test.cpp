// The built orvanthe-link.exe, run as a Windows user runs it: arguments as UTF-16, standard
// input from a file or a pipe, output to files, pipes and a console.
#include "cli_cases.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

namespace {

std::wstring widen(const std::string& utf8) {
    std::wstring text(utf8.size(), L'\0');
    text.resize(std::size_t(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()),
                                                text.data(), int(text.size()))));
    return text;
}

// The tool, which the build puts beside this suite.
std::wstring toolPath() {
    wchar_t path[MAX_PATH];
    const std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return self.substr(0, self.find_last_of(L"\\/") + 1) + L"orvanthe-link.exe";
}

// `arguments` as a command line that the C runtime and CommandLineToArgvW split back.
std::wstring commandLine(const std::vector<std::string>& arguments) {
    std::wstring line = L"\"" + toolPath() + L"\"";
    for (const auto& argument : arguments) {
        line += L" \"";
        std::size_t backslashes = 0;
        for (const wchar_t c : widen(argument)) {
            if (c == L'\\') {
                ++backslashes;
                continue;
            }
            line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
            backslashes = 0;
            line += c;
        }
        line.append(2 * backslashes, L'\\');
        line += L'"';
    }
    return line;
}

SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};

// A file of this suite's own, open for the tool to inherit.
HANDLE temporaryFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path =
        folder + std::wstring(L"orvanthe_cli_") + std::to_wstring(GetCurrentProcessId()) + name;
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS,
                       FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::string readAll(HANDLE file) {
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    std::string bytes;
    char block[4096];
    DWORD size = 0;
    while (ReadFile(file, block, sizeof block, &size, nullptr) && size > 0) {
        bytes.append(block, size);
    }
    return bytes;
}

// Starts the tool with the given standard handles; its process handle.
HANDLE start(const std::vector<std::string>& arguments, HANDLE in, HANDLE out, HANDLE err) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine(arguments);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD finish(HANDLE process) {
    DWORD status = ~DWORD(0);
    if (process && WaitForSingleObject(process, 60'000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process, &status);
    }
    if (process) {
        CloseHandle(process);
    }
    return status;
}

struct Outcome {
    std::string out;
    std::string err;
    DWORD status;
};

// Runs the tool with `input` in a file as standard input and files for its output.
Outcome run(const std::vector<std::string>& arguments, const std::string& input = {}) {
    HANDLE in = temporaryFile(L".in");
    HANDLE out = temporaryFile(L".out");
    HANDLE err = temporaryFile(L".err");
    DWORD written = 0;
    WriteFile(in, input.data(), DWORD(input.size()), &written, nullptr);
    SetFilePointer(in, 0, nullptr, FILE_BEGIN);
    Outcome result{};
    result.status = finish(start(arguments, in, out, err));
    result.out = readAll(out);
    result.err = readAll(err);
    for (HANDLE file : {in, out, err}) {
        CloseHandle(file);
    }
    return result;
}

const std::string thunder = "thunder://QUFodHRwOi8v1tAvzsQuemlwWlo=";
const std::string address = "http://中/文.zip";

// The same bytes as on Linux, through the system's code page 936.
TEST(WindowsCli, SharedCases) {
    ASSERT_EQ(GetACP(), 936u) << "the suites run in a Chinese (PRC) locale";
    for (const auto& each : orvanthe::test::cliCases()) {
        SCOPED_TRACE(each.name);
        const Outcome result = run(each.arguments, each.input);
        EXPECT_EQ(result.out, each.output);
        EXPECT_EQ(result.status, DWORD(each.status));
        EXPECT_EQ(result.err.empty(), each.status == 0) << result.err;
    }
}

TEST(WindowsCli, HelpAndVersion) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0u);
    for (const char* documented : {"--to FORM", "\n  0  ", "\n  1  ", "\n  2  ", "\n  3  "}) {
        EXPECT_NE(help.out.find(documented), std::string::npos) << documented;
    }
    EXPECT_EQ(run({"--version"}).out, "orvanthe-link " ORVANTHE_VERSION "\n");
}

// Results piped on as each line arrives, and a pipe closed under the tool's writing.
TEST(WindowsCli, Pipes) {
    HANDLE inRead, inWrite, outRead, outWrite;
    ASSERT_TRUE(CreatePipe(&inRead, &inWrite, &inherited, 0));
    ASSERT_TRUE(CreatePipe(&outRead, &outWrite, &inherited, 0));
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    HANDLE process = start({"--to", "http"}, inRead, outWrite, GetStdHandle(STD_ERROR_HANDLE));
    ASSERT_NE(process, nullptr);
    CloseHandle(inRead);
    CloseHandle(outWrite);
    for (int k = 0; k < 2; ++k) {
        DWORD size = 0;
        ASSERT_TRUE(WriteFile(inWrite, (thunder + "\r\n").data(), DWORD(thunder.size() + 2), &size,
                              nullptr));
        std::string got;
        for (int wait = 0; wait < 2000 && got.find('\n') == std::string::npos; ++wait) {
            DWORD waiting = 0;
            if (PeekNamedPipe(outRead, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
                char bytes[256];
                ReadFile(outRead, bytes, sizeof bytes, &size, nullptr);
                got.append(bytes, size);
            } else {
                Sleep(10);
            }
        }
        EXPECT_EQ(got, address + "\n");
    }
    CloseHandle(inWrite);
    CloseHandle(outRead);
    EXPECT_EQ(finish(process), 0u);

    // Nobody reads the output: the tool says so and exits with 3.
    ASSERT_TRUE(CreatePipe(&outRead, &outWrite, &inherited, 0));
    CloseHandle(outRead);
    HANDLE err = temporaryFile(L".err");
    EXPECT_EQ(finish(start({"--to", "http", thunder}, nullptr, outWrite, err)), 3u);
    EXPECT_NE(readAll(err), "");
    CloseHandle(outWrite);
    CloseHandle(err);
}

// In a console the results are shown as Unicode, Chinese and all, whatever its code page.
TEST(WindowsCli, ConsoleShowsUnicode) {
    if (!AllocConsole()) {
        GTEST_SKIP() << "no console to be had";
    }
    HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherited, OPEN_EXISTING, 0, nullptr);
    SetConsoleOutputCP(437);
    const std::string korean = "http://x/한국어.zip";
    EXPECT_EQ(finish(start({"--to", "http", thunder, korean}, nullptr, console, console)), 0u);
    std::wstring shown;
    for (SHORT row = 0; row < 2; ++row) {
        wchar_t line[80];
        DWORD size = 0;
        ReadConsoleOutputCharacterW(console, line, 80, {0, row}, &size);
        shown += std::wstring(line, size)
                     .substr(0, std::wstring(line, size).find_last_not_of(L' ') + 1) +
                 L"\n";
    }
    EXPECT_EQ(shown, widen(address + "\n" + korean + "\n"));
    CloseHandle(console);
    FreeConsole();
}

} // namespace
