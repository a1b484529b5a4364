// The built orvanthe-link.exe, run as a Windows user runs it: arguments as UTF-16, standard
// input from a file, output to files or a pipe. It must give the very bytes and statuses that
// the tool gives on Linux.
#include <gtest/gtest.h>
#include <thread>
#include <windows.h>

namespace {

SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};

// A file that the tool inherits, gone once it is closed.
HANDLE temporaryFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = folder + std::to_wstring(GetCurrentProcessId()) + name;
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inherited, CREATE_ALWAYS,
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

struct Outcome {
    std::string out;
    std::string err;
    DWORD status = ~DWORD(0);
};

// Runs the tool beside this suite with `arguments` (the table's hold no quote or backslash),
// `input` in a file (or `in`) as standard input, and `out` (else a file) as standard output.
Outcome run(const std::vector<std::u16string>& arguments, const std::string& input = {},
            HANDLE out = nullptr, HANDLE in = nullptr) {
    wchar_t path[MAX_PATH];
    std::wstring line(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    line = L"\"" + line.substr(0, line.find_last_of(L"\\/") + 1) + L"orvanthe-link.exe\"";
    for (const auto& argument : arguments) {
        line += L" \"" + std::wstring(argument.begin(), argument.end()) + L"\"";
    }
    HANDLE files[] = {in ? in : temporaryFile(L".in"), out ? out : temporaryFile(L".out"),
                      temporaryFile(L".err")};
    DWORD size = 0;
    WriteFile(files[0], input.data(), DWORD(input.size()), &size, nullptr);
    SetFilePointer(files[0], 0, nullptr, FILE_BEGIN);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = files[0];
    startup.hStdOutput = files[1];
    startup.hStdError = files[2];
    PROCESS_INFORMATION process{};
    Outcome result;
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, 60'000);
        GetExitCodeProcess(process.hProcess, &result.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    result.out = out ? "" : readAll(files[1]);
    result.err = readAll(files[2]);
    for (HANDLE file : files) {
        CloseHandle(file != out && file != in ? file : nullptr);
    }
    return result;
}

// Results into a pipe that nobody reads any more: the tool says so and exits with 3.
TEST(WindowsCli, AClosedPipeIsAFailureToWrite) {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, &inherited, 0));
    CloseHandle(read);
    const Outcome result = run({u"qqdl://YQ=="}, {}, write);
    CloseHandle(write);
    EXPECT_EQ(result.status, 3u);
    EXPECT_NE(result.err, "");
}

// Through pipes, the result of a line comes out before the input ends.
TEST(WindowsCli, EachResultAppearsWhileInputGoesOn) {
    HANDLE inRead, inWrite, outRead, outWrite;
    ASSERT_TRUE(CreatePipe(&inRead, &inWrite, &inherited, 0) &&
                CreatePipe(&outRead, &outWrite, &inherited, 0));
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    std::thread tool([&] { run({u"--to=http"}, {}, outWrite, inRead); });
    DWORD size = 0;
    DWORD waiting = 0;
    WriteFile(inWrite, "qqdl://YQ==\r\n", 13, &size, nullptr);
    for (int k = 0; k < 200 && waiting == 0; ++k) { // 20 s at most
        Sleep(PeekNamedPipe(outRead, nullptr, 0, nullptr, &waiting, nullptr) && waiting ? 0 : 100);
    }
    EXPECT_EQ(waiting, 2u) << "no result before the input ends";
    CloseHandle(inWrite);
    tool.join();
    for (HANDLE pipe : {inRead, outRead, outWrite}) {
        CloseHandle(pipe);
    }
}

} // namespace

#include "cli_suite.h"
