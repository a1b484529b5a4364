// The built "Orvanthe 0.1.exe": its resources read back, and the program run.
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <tuple>
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
        {L"LegalCopyright", L"Copyright (c) 2026 the Orvanthe developers"},
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

} // namespace
