// The built "Orvanthe 0.1.exe" started as a clicked link starts it, and registering itself
// as the handler of the three link schemes.
#include "cases.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>
#include <windows.h>

namespace {

std::wstring textOf(HWND window) {
    std::wstring text(std::size_t(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(std::size_t(SendMessageW(window, WM_GETTEXT, text.size(), LPARAM(text.data()))));
    return text;
}

// Runs `commandLine` and closes what it shows: its status, its message box's text, and its
// window's four fields (the first four controls in its tab order).
std::tuple<DWORD, std::wstring, std::vector<std::u16string>> run(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    DWORD status = STILL_ACTIVE;
    std::wstring message;
    std::vector<std::u16string> fields;
    // A program that does not start gives STILL_ACTIVE.
    CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                   &startup, &process);
    for (int wait = 0; wait < 200 && WaitForSingleObject(process.hProcess, 50); ++wait) {
        const HWND box = FindWindowW(L"#32770", L"Orvanthe");
        const HWND window = FindWindowW(nullptr, L"Orvanthe 0.1   QV40216");
        if (IsWindowVisible(box) && message.empty()) {
            message = textOf(GetDlgItem(box, 0xFFFF));
        }
        for (HWND field = nullptr; IsWindowVisible(window) && fields.size() < 4;) {
            field = GetNextDlgTabItem(window, field, FALSE);
            const std::wstring text = textOf(field);
            fields.emplace_back(text.begin(), text.end());
        }
        for (const HWND shown : {box, window}) {
            if (IsWindowVisible(shown)) {
                PostMessageW(shown, WM_CLOSE, 0, 0);
            }
        }
    }
    GetExitCodeProcess(process.hProcess, &status);
    TerminateProcess(process.hProcess, 1); // should it still run
    return {status, message, fields};
}

const std::wstring classes = L"Software\\Classes\\";

// Every key and value under `path`, as text.
std::wstring dump(HKEY root, const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return {};
    }
    std::wstring text = path + L"\n";
    wchar_t name[256], data[1024];
    for (DWORD k = 0, length = 256, type, size = sizeof data;
         RegEnumValueW(key, k, name, &length, nullptr, &type, LPBYTE(data), &size) == 0;
         ++k, length = 256, size = sizeof data) {
        text += std::wstring(name) + L"=" + std::to_wstring(type) + L":" +
                std::wstring(data, size / sizeof(wchar_t)).c_str() + L"\n";
    }
    for (DWORD k = 0, length = 256;
         RegEnumKeyExW(key, k, name, &length, nullptr, nullptr, nullptr, nullptr) == 0;
         ++k, length = 256) {
        text += dump(root, path + L"\\" + name);
    }
    RegCloseKey(key);
    return text;
}

// The three schemes' keys, the current user's and then the machine's; `clear` deletes them.
std::wstring registry(bool clear = false) {
    std::wstring text;
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (const wchar_t* scheme : {L"thunder", L"flashget", L"qqdl"}) {
            text += dump(root, classes + scheme);
            if (clear) {
                RegDeleteTreeW(root, (classes + scheme).c_str());
            }
        }
    }
    return text;
}

// The program's path: the build puts it beside this suite.
std::wstring programPath() {
    wchar_t self[MAX_PATH];
    const std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"Orvanthe 0.1.exe";
}

void setValue(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& data) {
    RegSetKeyValueW(root, path.c_str(), name, REG_SZ, data.c_str(),
                    DWORD((data.size() + 1) * sizeof(wchar_t)));
}

// --register takes the schemes that no other program holds, for this user or the machine;
// the command it stores opens the window with any link, options smuggled in or not; and
// --unregister takes away exactly what it wrote.
TEST(Program, RegistersFreeSchemesWhoseCommandOpensLinks) {
    registry(true);
    const std::wstring other = LR"("C:\windows\notepad.exe" "%1")"; // a program that is there
    for (const auto& [root, scheme] :
         {std::pair(HKEY_CURRENT_USER, L"flashget"), std::pair(HKEY_LOCAL_MACHINE, L"qqdl")}) {
        setValue(root, classes + scheme + L"\\shell\\open\\command", nullptr, other);
    }
    const std::wstring before = registry();
    const std::wstring program = L"\"" + programPath() + L"\"";

    const auto [status, message, fields] = run(program + L" --register");
    EXPECT_EQ(status, 1u);
    for (const std::wstring held : {L"flashget", L"qqdl"}) {
        EXPECT_NE(message.find(held + L" 链接：由另一程序打开，未作更改（" + other),
                  std::wstring::npos)
            << message;
    }
    const std::wstring key = classes + L"thunder",
                       written = key + L"\n=1:URL:thunder Protocol\nURL Protocol=1:\n" + key +
                                 L"\\DefaultIcon\n=1:" + program + L",0\n" + key + L"\\shell\n" +
                                 key + L"\\shell\\open\n" + key + L"\\shell\\open\\command\n=1:" +
                                 program + L" \"%1\"\n";
    ASSERT_EQ(registry(), written + before);

    // The stored command, with a link in place of %1.
    for (const auto& row : orvanthe::test::cases()) {
        for (std::size_t k = 0;
             row.kind == "links" && row.cells[0].starts_with(u"http://") && k < 4; ++k) {
            const std::wstring link(row.cells[k].begin(), row.cells[k].end());
            EXPECT_EQ(run(program + L" \"" + link + L"\""), std::tuple(0u, L"", row.cells))
                << row.line;
        }
    }
    // With qqdl free, a register smuggled into a link or among other arguments would show as
    // plainly as an unregister; those among other arguments show the usage and nothing else.
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (classes + L"qqdl").c_str());
    const std::wstring held = registry();
    for (const auto& [arguments, exits, opens] :
         {std::tuple(L" \"thunder://x\" --register \"\"", 0u, 4u),
          std::tuple(L" \"thunder://x\" --unregister \"\"", 0u, 4u),
          std::tuple(L" --bogus", 2u, 0u), std::tuple(L" --register thunder://x", 2u, 0u)}) {
        const auto [exited, said, shown] = run(program + arguments);
        EXPECT_EQ(std::tuple(exited, said.empty(), said.find(L"--unregister") != std::wstring::npos,
                             shown.size(), registry()),
                  std::tuple(exits, exits == 0, exits == 2, opens, held))
            << arguments;
    }

    EXPECT_EQ(std::get<0>(run(program + L" --unregister")), 0u);
    EXPECT_EQ(registry(), held.substr(written.size()));
    registry(true);
}

// What a moved or deleted copy registered is taken over, and so is a key without a command;
// --unregister leaves what others wrote into a key. A path that the shell would substitute
// in is refused.
TEST(Program, TakesOverOldRegistrationsAndRemovesOnlyItsOwn) {
    registry(true);
    const std::wstring program = L"\"" + programPath() + L"\"";
    for (const auto& [path, data] :
         {std::pair(L"thunder\\shell\\open\\command", LR"("C:\old\Orvanthe 0.1.exe" "%1")"),
          std::pair(L"flashget\\shell\\open\\command", LR"("C:\gone\downloader.exe" "%1")"),
          std::pair(L"qqdl", L"URL:qqdl")}) {
        setValue(HKEY_CURRENT_USER, classes + path, nullptr, data);
    }
    setValue(HKEY_CURRENT_USER, classes + L"qqdl", L"Other", L"x");
    EXPECT_EQ(std::get<0>(run(program + L" --register")), 0u);
    for (const wchar_t* scheme : {L"thunder", L"flashget", L"qqdl"}) {
        const std::wstring command = classes + scheme + L"\\shell\\open\\command";
        EXPECT_EQ(dump(HKEY_CURRENT_USER, command), command + L"\n=1:" + program + L" \"%1\"\n");
    }
    EXPECT_EQ(std::get<0>(run(program + L" --unregister")), 0u);
    EXPECT_EQ(registry(), classes + L"qqdl\nOther=1:x\n");
    registry(true);

    const std::wstring folder = programPath() + L" 100%", copy = folder + L"\\a.exe";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(programPath().c_str(), copy.c_str(), FALSE));
    const auto [refused, why, shown] = run(L"\"" + copy + L"\" --register");
    EXPECT_EQ(std::tuple(refused, why.find(L"“%”") != std::wstring::npos, registry()),
              std::tuple(1u, true, L""));
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
}

} // namespace
