// The built "Orvanthe 0.1.exe" started as a clicked link starts it, and registering itself
// as the handler of the three link schemes.
#include "cases.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <tuple>
#include <vector>
#include <windows.h>

namespace {

// The program, which the build puts beside this suite.
std::wstring programPath() {
    wchar_t path[MAX_PATH];
    const std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return self.substr(0, self.find_last_of(L"\\/") + 1) + L"Orvanthe 0.1.exe";
}

std::wstring textOf(HWND window) {
    std::wstring text(std::size_t(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(std::size_t(SendMessageW(window, WM_GETTEXT, text.size(), LPARAM(text.data()))));
    return text;
}

BOOL CALLBACK collectEdit(HWND child, LPARAM edits) {
    wchar_t name[8];
    RECT place;
    if (GetClassNameW(child, name, 8) && std::wstring_view(name) == L"Edit" &&
        GetWindowRect(child, &place)) {
        reinterpret_cast<std::map<LONG, HWND>*>(edits)->emplace(place.top, child);
    }
    return TRUE;
}

// Runs `commandLine` and closes what it shows: its status, its message box's text, and its
// window's four fields (its edits from the top; the work fields lie below them).
std::tuple<DWORD, std::wstring, std::vector<std::wstring>> run(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    DWORD status = STILL_ACTIVE;
    std::wstring message;
    std::vector<std::wstring> fields;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return {};
    }
    for (int wait = 0; wait < 200 && WaitForSingleObject(process.hProcess, 50); ++wait) {
        const HWND box = FindWindowW(L"#32770", L"Orvanthe");
        const HWND window = FindWindowW(nullptr, L"Orvanthe 0.1   QV40216");
        if (IsWindowVisible(box) && message.empty()) {
            message = textOf(GetDlgItem(box, 0xFFFF));
        }
        std::map<LONG, HWND> edits;
        if (IsWindowVisible(window) && fields.empty()) {
            EnumChildWindows(window, collectEdit, LPARAM(&edits));
        }
        for (auto edit = edits.begin(); edit != edits.end() && fields.size() < 4; ++edit) {
            fields.push_back(textOf(edit->second));
        }
        for (const HWND shown : {box, window}) {
            if (IsWindowVisible(shown)) {
                PostMessageW(shown, WM_CLOSE, 0, 0);
            }
        }
    }
    GetExitCodeProcess(process.hProcess, &status);
    TerminateProcess(process.hProcess, 1); // should it still run
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {status, message, fields};
}

constexpr const wchar_t* schemes[] = {L"thunder", L"flashget", L"qqdl"};

std::wstring classesKey(const wchar_t* scheme) {
    return std::wstring(L"Software\\Classes\\") + scheme;
}

// Every key and value under `path`, as text.
std::wstring dump(HKEY root, const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return {};
    }
    std::wstring text = path + L"\n";
    wchar_t name[256];
    wchar_t data[1024];
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

// The three schemes' keys, the current user's and then the machine's.
std::wstring registry() {
    std::wstring text;
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (const wchar_t* scheme : schemes) {
            text += dump(root, classesKey(scheme));
        }
    }
    return text;
}

// --register takes the schemes that no other program holds, for this user or the machine;
// the command it stores opens the window with any link, options smuggled in or not; and
// --unregister takes away exactly what it wrote. An option among other arguments does
// nothing but show the usage.
TEST(Program, RegistersFreeSchemesWhoseCommandOpensLinks) {
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (const wchar_t* scheme : schemes) {
            RegDeleteTreeW(root, classesKey(scheme).c_str());
        }
    }
    const std::wstring other = LR"("C:\other\downloader.exe" "%1")";
    for (const auto& [root, scheme] :
         {std::pair(HKEY_CURRENT_USER, L"flashget"), std::pair(HKEY_LOCAL_MACHINE, L"qqdl")}) {
        RegSetKeyValueW(root, (classesKey(scheme) + L"\\shell\\open\\command").c_str(), nullptr,
                        REG_SZ, other.c_str(), DWORD((other.size() + 1) * sizeof(wchar_t)));
    }
    const std::wstring before = registry();
    const std::wstring program = L"\"" + programPath() + L"\"";
    for (const wchar_t* wrong : {L" --bogus", L" --register thunder://x"}) {
        const auto [status, usage, fields] = run(program + wrong);
        EXPECT_EQ(std::tuple(status, usage.find(L"--unregister") != std::wstring::npos,
                             fields.size(), registry()),
                  std::tuple(2u, true, 0u, before))
            << wrong;
    }

    const auto [status, message, fields] = run(program + L" --register");
    EXPECT_EQ(status, 1u);
    for (const std::wstring held : {L"flashget", L"qqdl"}) {
        EXPECT_NE(message.find(held + L" 链接：由另一程序打开，未作更改（" + other),
                  std::wstring::npos)
            << message;
    }
    const std::wstring thunder = classesKey(L"thunder");
    const std::wstring written = thunder + L"\n=1:URL:thunder Protocol\nURL Protocol=1:\n" +
                                 thunder + L"\\DefaultIcon\n=1:" + program + L",0\n" + thunder +
                                 L"\\shell\n" + thunder + L"\\shell\\open\n" + thunder +
                                 L"\\shell\\open\\command\n=1:" + program + L" \"%1\"\n";
    ASSERT_EQ(registry(), written + before);

    // The stored command, with a link in place of %1.
    const auto stored = [&program](const std::wstring& link) {
        return run(program + L" \"" + link + L"\"");
    };
    for (const auto& row : orvanthe::test::cases()) {
        if (row.kind == "links" && row.cells[0].starts_with(u"http://")) {
            std::vector<std::wstring> forms;
            for (const std::u16string& form : row.cells) {
                forms.emplace_back(form.begin(), form.end());
            }
            for (const std::wstring& form : forms) {
                EXPECT_EQ(stored(form), std::tuple(0u, L"", forms)) << row.line;
            }
        }
    }
    // With qqdl free, a smuggled --register would show as plainly as a smuggled --unregister.
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, classesKey(L"qqdl").c_str());
    const std::wstring held = registry();
    for (const std::wstring option : {L"--register", L"--unregister"}) {
        const auto [opened, said, shown] = stored(L"thunder://x\" " + option + L" \"");
        EXPECT_EQ(std::tuple(opened, said, shown.size(), registry()), std::tuple(0u, L"", 4u, held))
            << option;
    }

    EXPECT_EQ(std::get<0>(run(program + L" --unregister")), 0u);
    EXPECT_EQ(registry(), held.substr(written.size()));
    RegDeleteTreeW(HKEY_CURRENT_USER, classesKey(L"flashget").c_str());
}

} // namespace
