// The built "Orvanthe 0.1.exe": its resources read back, and the program run.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <windows.h>
// After windows.h, which they need.
#include <tlhelp32.h>

namespace {

// The program, which the build puts beside this suite.
std::wstring programPath() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring self(path, length);
    return self.substr(0, self.find_last_of(L"\\/") + 1) + L"Orvanthe 0.1.exe";
}

std::string narrow(std::wstring_view text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(
        std::size_t(WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(),
                                        int(bytes.size()), nullptr, nullptr)));
    return bytes;
}

std::wstring lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), towlower);
    return text;
}

class ProgramResources : public testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExW(programPath().c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << narrow(programPath());
    }
    void TearDown() override {
        if (module) {
            FreeLibrary(module);
        }
    }

    std::string_view resource(const wchar_t* type, int id) const {
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
        if (!found) {
            return {};
        }
        const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
        return {data, SizeofResource(module, found)};
    }

    HMODULE module = nullptr;
};

TEST_F(ProgramResources, VersionInformationNamesTheProgram) {
    const std::wstring path = programPath();
    DWORD ignored = 0;
    std::string block(GetFileVersionInfoSizeW(path.c_str(), &ignored), '\0');
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, DWORD(block.size()), block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(std::tie(fixed->dwFileVersionMS, fixed->dwFileVersionLS), std::tuple(0u, 1u));
    EXPECT_EQ(std::tie(fixed->dwProductVersionMS, fixed->dwProductVersionLS), std::tuple(0u, 1u));
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
    EXPECT_EQ(fixed->dwFileOS, DWORD(VOS__WINDOWS32));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &size));
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(translation[0], 0x0804); // Chinese (PRC)
    EXPECT_EQ(translation[1], 1200);   // UTF-16

    const std::map<std::wstring, std::wstring> strings = {
        {L"Comments", L"Orvanthe"},
        {L"FileDescription", L"Orvanthe"},
        {L"FileVersion", L"0.00.0001"},
        {L"InternalName", L"Orvanthe 0.1"},
        {L"LegalCopyright", L"Copyright © 2026 the Orvanthe developers"},
        {L"LegalTrademarks", L"Orvanthe"},
        {L"OriginalFilename", L"Orvanthe 0.1.exe"},
        {L"ProductName", L"Orvanthe"},
        {L"ProductVersion", L"0.00.0001"},
    };
    for (const auto& [key, expected] : strings) {
        SCOPED_TRACE(narrow(key));
        const std::wstring query = L"\\StringFileInfo\\080404B0\\" + key;
        wchar_t* value = nullptr;
        ASSERT_TRUE(
            VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &size));
        EXPECT_EQ(narrow(value), narrow(expected));
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

TEST_F(ProgramResources, OneIconGroupOfThreeImages) {
    int groups = 0;
    EnumResourceNamesW(module, RT_GROUP_ICON, countResource, reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(groups, 1);

    const std::string_view group = resource(RT_GROUP_ICON, 1);
    ASSERT_GE(group.size(), 6u);
    WORD header[3];
    std::memcpy(header, group.data(), sizeof header);
    EXPECT_EQ(header[1], 1) << "icons";
    ASSERT_EQ(group.size(), 6 + header[2] * sizeof(IconGroupEntry));

    // Width, height, colours, bits per pixel.
    using Image = std::tuple<int, int, int, int>;
    std::set<Image> images;
    for (WORD k = 0; k < header[2]; ++k) {
        IconGroupEntry entry;
        std::memcpy(&entry, group.data() + 6 + k * sizeof entry, sizeof entry);
        const Image image{entry.width, entry.height, entry.colours, entry.bitsPerPixel};
        images.insert(image);
        SCOPED_TRACE(testing::PrintToString(image));

        const std::string_view bitmap = resource(RT_ICON, entry.id);
        ASSERT_EQ(bitmap.size(), entry.bytes);
        ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER info;
        std::memcpy(&info, bitmap.data(), sizeof info);
        EXPECT_EQ(info.biWidth, entry.width);
        EXPECT_EQ(info.biHeight, 2 * entry.height) << "image and mask";
        EXPECT_EQ(info.biBitCount, entry.bitsPerPixel);
        EXPECT_NE(
            CreateIconFromResourceEx(reinterpret_cast<BYTE*>(const_cast<char*>(bitmap.data())),
                                     entry.bytes, TRUE, 0x00030000, entry.width, entry.height, 0),
            nullptr);
    }
    EXPECT_EQ(images, (std::set<Image>{{32, 32, 2, 1}, {32, 32, 16, 4}, {16, 16, 16, 4}}));
}

// The value of attribute `name` in `element`, or nothing.
std::string attribute(std::string_view element, std::string_view name) {
    std::string key(" ");
    key.append(name).append("=\"");
    const std::size_t start = element.find(key);
    if (start == std::string_view::npos) {
        return "(none)";
    }
    const std::size_t value = start + key.size();
    return std::string(element.substr(value, element.find('"', value) - value));
}

TEST_F(ProgramResources, ManifestAsksForVersion6OfTheCommonControls) {
    const std::string_view manifest = resource(RT_MANIFEST, 1);
    ASSERT_FALSE(manifest.empty());
    // The program's own identity first, then the one assembly it depends on.
    std::vector<std::string_view> identities;
    for (std::size_t at = manifest.find("<assemblyIdentity"); at != std::string_view::npos;
         at = manifest.find("<assemblyIdentity", at + 1)) {
        identities.push_back(manifest.substr(at, manifest.find('>', at) - at));
    }
    ASSERT_EQ(identities.size(), 2u);
    EXPECT_EQ(attribute(identities[0], "version"), "1.0.0.0");
    EXPECT_EQ(attribute(identities[0], "processorArchitecture"), "X86");
    EXPECT_EQ(attribute(identities[0], "type"), "win32");

    EXPECT_EQ(attribute(identities[1], "name"), "Microsoft.Windows.Common-Controls");
    EXPECT_EQ(attribute(identities[1], "version"), "6.0.0.0");
    EXPECT_EQ(attribute(identities[1], "processorArchitecture"), "X86");
    EXPECT_EQ(attribute(identities[1], "language"), "*");
    EXPECT_EQ(attribute(identities[1], "publicKeyToken"), "6595b64144ccf1df");
    EXPECT_EQ(attribute(identities[1], "type"), "win32");
    EXPECT_LT(manifest.find("<dependentAssembly>"), manifest.find(identities[1]));
}

struct WindowSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.process && IsWindowVisible(window)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// The visible top window of process `id`, once it is there (or null after ten seconds).
HWND windowOf(DWORD id) {
    WindowSearch search{id, nullptr};
    for (int attempt = 0; attempt < 200 && !search.found; ++attempt) {
        EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found) {
            Sleep(50);
        }
    }
    return search.found;
}

// The file that process `id` loaded as `name`, in lower case; empty if none.
std::wstring modulePath(DWORD id, std::wstring_view name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, id);
    std::wstring path;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = Module32FirstW(snapshot, &module); more && path.empty();
         more = Module32NextW(snapshot, &module)) {
        if (lower(module.szModule) == name) {
            path = lower(module.szExePath);
        }
    }
    CloseHandle(snapshot);
    return path;
}

TEST(Program, OpensItsWindowWithVisualStylesAndEndsWhenItCloses) {
    std::wstring commandLine = L"\"" + programPath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    HWND window = windowOf(process.dwProcessId);
    ASSERT_NE(window, nullptr);

    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    EXPECT_EQ(narrow(caption), "Orvanthe 0.1   QV40216");

    // Wine's comctl32 tells version 5.81 whichever is loaded; where it was loaded from tells.
    const std::wstring comctl32 = modulePath(process.dwProcessId, L"comctl32.dll");
    EXPECT_NE(comctl32.find(L"\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::wstring::npos)
        << "loaded from " << narrow(comctl32);

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
