// The built "Orvanthe 0.1.exe": its resources read back, and the program run.
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

namespace {

// The program, which the build puts beside this suite.
std::wstring programPath() {
    wchar_t path[MAX_PATH];
    const std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return self.substr(0, self.find_last_of(L"\\/") + 1) + L"Orvanthe 0.1.exe";
}

const std::wstring commonControls6 =
    L"\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6.";

TEST(ProgramResources, VersionInformationNamesTheProgram) {
    const std::wstring path = programPath();
    DWORD ignored = 0;
    std::string block(GetFileVersionInfoSizeW(path.c_str(), &ignored), '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, DWORD(block.size()), block.data()));
    const auto query = [&block](const std::wstring& name) {
        void* value = nullptr;
        UINT size = 0;
        return VerQueryValueW(block.data(), name.c_str(), &value, &size) ? value : nullptr;
    };
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(std::tuple(fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                         fixed->dwProductVersionLS, fixed->dwFileType),
              std::tuple(0u, 1u, 0u, 1u, DWORD(VFT_APP)));
    // Chinese (PRC), UTF-16
    const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation"));
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(std::pair(translation[0], translation[1]), std::pair(WORD(0x0804), WORD(1200)));
    const std::map<std::wstring, std::wstring> strings = {
        {L"Comments", L"Orvanthe"},
        {L"FileDescription", L"Orvanthe"},
        {L"FileVersion", L"0.00.0001"},
        {L"InternalName", L"Orvanthe 0.1"},
        {L"LegalCopyright", L"Copyright © 2026 the Orvanthe developers"},
        {L"LegalTrademarks", L"Orvanthe"},
        {L"OriginalFilename", L"Orvanthe 0.1.exe"},
        {L"ProductName", L"Orvanthe"},
        {L"ProductVersion", L"0.00.0001"}};
    for (const auto& [key, expected] : strings) {
        const auto* value =
            static_cast<const wchar_t*>(query(L"\\StringFileInfo\\080404B0\\" + key));
        EXPECT_STREQ(value, expected.c_str());
    }
}

// The program's own manifest makes it load version 6 of the common controls; its icon is
// the window's; closing the window ends it with status 0.
TEST(Program, OpensItsWindowWithVisualStylesAndEndsWhenItCloses) {
    std::wstring commandLine = L"\"" + programPath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    // Its window, found by its caption and shown within ten seconds.
    HWND window = nullptr;
    for (int attempt = 0; attempt < 200 && !IsWindowVisible(window); ++attempt) {
        Sleep(50);
        window = FindWindowW(nullptr, L"Orvanthe 0.1   QV40216");
    }
    ASSERT_TRUE(IsWindowVisible(window));
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(owner, process.dwProcessId);
    EXPECT_NE(GetClassLongPtrW(window, GCLP_HICON), 0u);

    // Wine's comctl32 tells version 5.81 whichever is loaded; where it was loaded from tells.
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process.dwProcessId);
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    std::wstring comctl32;
    for (BOOL more = Module32FirstW(snapshot, &module); more;
         more = Module32NextW(snapshot, &module)) {
        if (_wcsicmp(module.szModule, L"comctl32.dll") == 0) {
            comctl32 = _wcslwr(module.szExePath);
        }
    }
    CloseHandle(snapshot);
    EXPECT_NE(comctl32.find(commonControls6), std::wstring::npos) << comctl32;

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10'000), WAIT_OBJECT_0);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    if (exitCode == STILL_ACTIVE) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace
