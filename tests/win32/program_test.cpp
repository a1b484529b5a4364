// The built "Orvanthe 0.1.exe": its resources read back, and the program run.
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>
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

// The program's file, loaded for its resources.
HMODULE programResources() {
    static const HMODULE module = LoadLibraryExW(
        programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    return module;
}

// Resource `id` of `type` in the program's file; empty if there is none.
std::string_view resource(const wchar_t* type, int id) {
    HMODULE module = programResources();
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(id), type) : nullptr;
    if (!found) {
        return {};
    }
    return {static_cast<const char*>(LockResource(LoadResource(module, found))),
            SizeofResource(module, found)};
}

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
    const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation"));
    ASSERT_NE(translation, nullptr);
    // Chinese (PRC), UTF-16
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);

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

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitsPerPixel;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

BOOL CALLBACK countResource(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// One icon, which Explorer shows for the program whatever the order of groups.
TEST(ProgramResources, OneIconOfThreeImages) {
    int groups = 0;
    EnumResourceNamesW(programResources(), RT_GROUP_ICON, countResource, LONG_PTR(&groups));
    EXPECT_EQ(groups, 1);
    const std::string_view group = resource(RT_GROUP_ICON, 1);
    WORD header[3] = {}; // reserved, 1 for icons, number of images
    std::memcpy(header, group.data(), std::min(group.size(), sizeof header));
    ASSERT_EQ(header[1], 1);
    ASSERT_EQ(group.size(), sizeof header + header[2] * sizeof(IconGroupEntry));

    using Image = std::tuple<int, int, int, int>; // width, height, colours, bits per pixel
    std::set<Image> images;
    for (std::size_t at = sizeof header; at < group.size(); at += sizeof(IconGroupEntry)) {
        IconGroupEntry entry;
        std::memcpy(&entry, group.data() + at, sizeof entry);
        const Image image{entry.width, entry.height, entry.colours, entry.bitsPerPixel};
        images.insert(image);
        SCOPED_TRACE(testing::PrintToString(image));

        const std::string_view bitmap = resource(RT_ICON, entry.id);
        ASSERT_EQ(bitmap.size(), entry.bytes);
        BITMAPINFOHEADER info;
        std::memcpy(&info, bitmap.data(), sizeof info);
        EXPECT_EQ(std::tuple(info.biWidth, info.biHeight, info.biBitCount),
                  std::tuple(LONG(entry.width), 2 * LONG(entry.height), entry.bitsPerPixel))
            << "an image and its mask";
        EXPECT_NE(
            CreateIconFromResourceEx(reinterpret_cast<BYTE*>(const_cast<char*>(bitmap.data())),
                                     entry.bytes, TRUE, 0x00030000, entry.width, entry.height, 0),
            nullptr);
    }
    EXPECT_EQ(images, (std::set<Image>{{32, 32, 2, 1}, {32, 32, 16, 4}, {16, 16, 16, 4}}));
}

TEST(ProgramResources, ManifestAsksForVersion6OfTheCommonControls) {
    const std::string manifest(resource(RT_MANIFEST, 1));
    // The program's own identity, then that of the one assembly it depends on.
    const std::size_t own = manifest.find("<assemblyIdentity");
    const std::size_t dependency =
        manifest.find("<assemblyIdentity", manifest.find("<dependentAssembly>"));
    ASSERT_LT(own, dependency);
    ASSERT_NE(dependency, std::string::npos);
    const std::pair<std::size_t, const char*> attributes[] = {
        {own, R"(type="win32")"},
        {own, R"(version="1.0.0.0")"},
        {own, R"(processorArchitecture="X86")"},
        {dependency, R"(type="win32")"},
        {dependency, R"(name="Microsoft.Windows.Common-Controls")"},
        {dependency, R"(version="6.0.0.0")"},
        {dependency, R"(processorArchitecture="X86")"},
        {dependency, R"(publicKeyToken="6595b64144ccf1df")"},
        {dependency, R"(language="*")"}};
    for (const auto& [at, attribute] : attributes) {
        const std::string identity = manifest.substr(at, manifest.find('>', at) - at);
        EXPECT_NE(identity.find(std::string(" ") + attribute), std::string::npos)
            << identity << " lacks " << attribute;
    }
}

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

    // Wine's comctl32 tells version 5.81 whichever is loaded; where it was loaded from tells.
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process.dwProcessId);
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    std::wstring comctl32;
    for (BOOL more = Module32FirstW(snapshot, &module); more;
         more = Module32NextW(snapshot, &module)) {
        if (_wcsicmp(module.szModule, L"comctl32.dll") == 0) {
            comctl32 = module.szExePath;
        }
    }
    CloseHandle(snapshot);
    std::ranges::transform(comctl32, comctl32.begin(), towlower);
    EXPECT_NE(comctl32.find(L"\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::wstring::npos)
        << comctl32;

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
    const std::vector<std::wstring> forms = {
        L"http://a.b/c.zip", L"thunder://QUFodHRwOi8vYS5iL2MuemlwWlo=",
        L"flashget://W0ZMQVNIR0VUXWh0dHA6Ly9hLmIvYy56aXBbRkxBU0hHRVRd&velkaron777",
        L"qqdl://aHR0cDovL2EuYi9jLnppcA=="};
    for (const std::wstring& form : forms) {
        EXPECT_EQ(stored(form), std::tuple(0u, L"", forms)) << form;
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
