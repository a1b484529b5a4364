// The built orvanthe-link.exe, run as a Windows user runs it: arguments as UTF-16, standard
// input from a file or a pipe, output to files and pipes. From the table of cases it must
// give the very bytes that the tool gives on Linux.
#include "cases.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

using orvanthe::test::cases;

std::string utf8(std::u16string_view text) {
    std::string bytes(3 * text.size(), '\0');
    bytes.resize(std::size_t(
        WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(text.data()),
                            int(text.size()), bytes.data(), int(bytes.size()), nullptr, nullptr)));
    return bytes;
}

// The tool beside this suite, and `arguments` quoted as the C runtime splits them again.
std::wstring commandLine(const std::vector<std::u16string>& arguments) {
    wchar_t path[MAX_PATH];
    const std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    std::wstring line =
        L"\"" + self.substr(0, self.find_last_of(L"\\/") + 1) + L"orvanthe-link.exe\"";
    for (const auto& argument : arguments) {
        line += L" \"";
        std::size_t backslashes = 0;
        for (const char16_t c : argument) {
            line.append(c == u'"' ? backslashes + 1 : 0, L'\\'); // doubled, and one for it
            backslashes = c == u'\\' ? backslashes + 1 : 0;
            line += wchar_t(c);
        }
        line.append(backslashes, L'\\');
        line += L'"';
    }
    return line;
}

SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};

// A file that the tool inherits and that goes when it is closed.
HANDLE temporaryFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path =
        folder + (L"orvanthe_cli_" + std::to_wstring(GetCurrentProcessId())) + name;
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS,
                       FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::string readAll(HANDLE file) {
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    std::string bytes;
    char block[4096];
    for (DWORD size = 0; ReadFile(file, block, sizeof block, &size, nullptr) && size > 0;) {
        bytes.append(block, size);
    }
    return bytes;
}

// Runs the tool with the given standard handles; its exit status.
DWORD run(const std::vector<std::u16string>& arguments, HANDLE in, HANDLE out, HANDLE err,
          HANDLE* running = nullptr) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine(arguments);
    DWORD status = ~DWORD(0);
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        if (running) { // the caller talks to it first
            *running = process.hProcess;
            return 0;
        }
        WaitForSingleObject(process.hProcess, 60'000);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hProcess);
    }
    return status;
}

struct Outcome {
    std::string out;
    std::string err;
    DWORD status;
};

// Runs the tool with `input` in a file as standard input and files for its output.
Outcome run(const std::vector<std::u16string>& arguments, const std::string& input = {}) {
    HANDLE files[] = {temporaryFile(L".in"), temporaryFile(L".out"), temporaryFile(L".err")};
    DWORD size = 0;
    WriteFile(files[0], input.data(), DWORD(input.size()), &size, nullptr);
    SetFilePointer(files[0], 0, nullptr, FILE_BEGIN);
    Outcome result{};
    result.status = run(arguments, files[0], files[1], files[2]);
    result.out = readAll(files[1]);
    result.err = readAll(files[2]);
    for (HANDLE file : files) {
        CloseHandle(file);
    }
    return result;
}

TEST(WindowsCli, GivesWhatTheTableSays) {
    ASSERT_EQ(GetACP(), 936u) << "the suites run in a Chinese (PRC) locale";
    const std::u16string forms[] = {u"http", u"thunder", u"flashget", u"qqdl"};
    std::vector<std::u16string> inputs;
    std::string each[4];
    std::vector<std::u16string> addresses = {u"--to=http"};
    std::string expected;
    for (const auto& row : cases()) {
        for (std::size_t k = 0; row.kind == "links" && k < 4; ++k) {
            inputs.push_back(row.cells[k]);
            for (std::size_t n = 0; n < 4; ++n) {
                each[n] += utf8(row.cells[n]) + "\n";
            }
        }
        if (row.form() >= 0) {
            addresses.push_back(row.cells[0]);
            expected += utf8(row.cells[1]) + "\n";
        }
        if (row.kind == "cli") {
            SCOPED_TRACE(row.line);
            const Outcome result =
                run({row.cells.begin() + 3, row.cells.end()}, utf8(row.cells[1]));
            EXPECT_EQ(result.out, utf8(row.cells[2]));
            EXPECT_EQ(result.status, DWORD(std::stoul(utf8(row.cells[0]))));
            EXPECT_EQ(result.err.empty(), row.cells[0] == u"0") << result.err;
        }
    }
    for (std::size_t n = 0; n < 4; ++n) {
        inputs.insert(inputs.begin(), {u"--to", forms[n]});
        EXPECT_EQ(run(inputs).out, each[n]);
        inputs.erase(inputs.begin(), inputs.begin() + 2);
    }
    // A line of standard input that is not UTF-8 is named and skipped.
    const Outcome invalid = run({u"--to=http"}, "qqdl://YQ==\n\xFF\nqqdl://Yg==\n");
    EXPECT_EQ(std::tuple(invalid.out, invalid.status), std::tuple("a\nb\n", 1u));
    EXPECT_NE(invalid.err.find("line 2"), std::string::npos) << invalid.err;
}

// Through pipes: each result as soon as its line arrives, and a pipe nobody reads any more.
TEST(WindowsCli, Pipes) {
    HANDLE inRead, inWrite, outRead, outWrite, process = nullptr;
    ASSERT_TRUE(CreatePipe(&inRead, &inWrite, &inherited, 0) &&
                CreatePipe(&outRead, &outWrite, &inherited, 0));
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    run({u"--to=http"}, inRead, outWrite, GetStdHandle(STD_ERROR_HANDLE), &process);
    ASSERT_NE(process, nullptr);
    CloseHandle(inRead);
    CloseHandle(outWrite);
    for (const auto& [line, address] :
         {std::pair<std::string, std::string>("qqdl://YQ==\r\n", "a\n"),
          {"qqdl://Yg==\n", "b\n"}}) {
        DWORD size = 0;
        WriteFile(inWrite, line.data(), DWORD(line.size()), &size, nullptr);
        char result[3] = {};
        size = 0;
        for (int wait = 0; wait < 2000 && size == 0; ++wait) { // 20 s at most
            Sleep(PeekNamedPipe(outRead, nullptr, 0, nullptr, &size, nullptr) && size ? 0 : 10);
        }
        ASSERT_TRUE(ReadFile(outRead, result, 2, &size, nullptr)) << line;
        EXPECT_EQ(std::string(result, size), address);
    }
    CloseHandle(inWrite);
    CloseHandle(outRead);
    WaitForSingleObject(process, 60'000);
    DWORD status = ~DWORD(0);
    GetExitCodeProcess(process, &status);
    CloseHandle(process);
    EXPECT_EQ(status, 0u);

    ASSERT_TRUE(CreatePipe(&outRead, &outWrite, &inherited, 0));
    CloseHandle(outRead);
    HANDLE err = temporaryFile(L".err");
    EXPECT_EQ(run({u"qqdl://YQ=="}, nullptr, outWrite, err), 3u);
    EXPECT_NE(readAll(err), "");
    CloseHandle(outWrite);
    CloseHandle(err);
}

} // namespace
