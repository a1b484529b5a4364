#include "scheme_registration.h"

#include <array>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>
#include <windows.h>

namespace orvanthe {
namespace {

constexpr std::array<std::wstring_view, 3> schemes = {L"thunder", L"flashget", L"qqdl"};

std::wstring classesKey(std::wstring_view scheme) {
    return L"Software\\Classes\\" + std::wstring(scheme);
}

// This program's full path; empty if the system does not tell it.
std::wstring programPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The command that opens `scheme`'s links as registered under `root`: nothing when the
// scheme has no key there, empty text when its key has no command.
std::optional<std::wstring> commandUnder(HKEY root, std::wstring_view scheme) {
    HKEY key;
    if (RegOpenKeyExW(root, classesKey(scheme).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring command;
    DWORD bytes = 0;
    constexpr DWORD types = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    LSTATUS error = ERROR_MORE_DATA;
    // The value may grow between asking its size and reading it.
    while (error == ERROR_MORE_DATA) {
        command.resize(bytes / sizeof(wchar_t) + 1);
        bytes = DWORD(command.size() * sizeof(wchar_t));
        error = RegGetValueW(key, L"shell\\open\\command", nullptr, types, nullptr, command.data(),
                             &bytes);
    }
    RegCloseKey(key);
    command.resize(error == ERROR_SUCCESS ? bytes / sizeof(wchar_t) : 0);
    while (!command.empty() && command.back() == L'\0') {
        command.pop_back();
    }
    return command;
}

// The command that opens `scheme`'s links as the shell finds it: the current user's
// registration first, else the machine's.
std::optional<std::wstring> handlerOf(std::wstring_view scheme) {
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        if (auto command = commandUnder(root, scheme)) {
            return command;
        }
    }
    return std::nullopt;
}

// Whether `command` starts `program`: its first word, quoted or not, names it (in any case).
bool runsProgram(std::wstring_view command, std::wstring_view program) {
    std::wstring_view first = command.substr(0, command.find(L' '));
    if (command.starts_with(L'"')) {
        const std::size_t end = command.find(L'"', 1);
        if (end == std::wstring_view::npos) {
            return false;
        }
        first = command.substr(1, end - 1);
    }
    return !program.empty() && CompareStringOrdinal(first.data(), int(first.size()), program.data(),
                                                    int(program.size()), TRUE) == CSTR_EQUAL;
}

std::wstring errorText(LSTATUS error) {
    return L"系统错误 " + std::to_wstring(error);
}

// The values under a scheme's key, just created, that make `program` open its links.
LSTATUS writeScheme(HKEY key, std::wstring_view scheme, const std::wstring& program) {
    const std::wstring quoted = L"\"" + program + L"\"";
    const std::tuple<const wchar_t*, const wchar_t*, std::wstring> values[] = {
        {nullptr, nullptr, L"URL:" + std::wstring(scheme) + L" Protocol"},
        {nullptr, L"URL Protocol", L""},
        {L"DefaultIcon", nullptr, quoted + L",0"},
        {L"shell\\open\\command", nullptr, quoted + L" \"%1\""},
    };
    for (const auto& [subKey, name, data] : values) {
        const LSTATUS error = RegSetKeyValueW(key, subKey, name, REG_SZ, data.c_str(),
                                              DWORD((data.size() + 1) * sizeof(wchar_t)));
        if (error != ERROR_SUCCESS) {
            return error;
        }
    }
    return ERROR_SUCCESS;
}

std::wstring heldByOther(const std::wstring& command) {
    return L"由另一程序打开，未作更改（" + (command.empty() ? L"没有打开命令" : command) + L"）";
}

// Whether `program` opens `scheme` afterwards, and what happened, in words.
std::pair<bool, std::wstring> registerScheme(std::wstring_view scheme,
                                             const std::wstring& program) {
    if (const auto handler = handlerOf(scheme)) {
        if (runsProgram(*handler, program)) {
            return {true, L"已经用 Orvanthe 打开"};
        }
        return {false, heldByOther(*handler)};
    }
    if (program.empty()) {
        return {false, L"未能设置：找不到本程序的路径"};
    }
    const std::wstring path = classesKey(scheme);
    HKEY key;
    DWORD disposition = 0;
    LSTATUS error = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                    nullptr, &key, &disposition);
    if (error == ERROR_SUCCESS && disposition != REG_CREATED_NEW_KEY) {
        // Another program registered it a moment ago.
        RegCloseKey(key);
        return {false, heldByOther(commandUnder(HKEY_CURRENT_USER, scheme).value_or(L""))};
    }
    if (error == ERROR_SUCCESS) {
        error = writeScheme(key, scheme, program);
        RegCloseKey(key);
        if (error != ERROR_SUCCESS) {
            // No half registration stays behind.
            RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
        }
    }
    if (error != ERROR_SUCCESS) {
        return {false, L"未能设置：" + errorText(error)};
    }
    return {true, L"已设为用 Orvanthe 打开"};
}

// Whether `program` opens `scheme` no more afterwards, and what happened, in words.
std::pair<bool, std::wstring> unregisterScheme(std::wstring_view scheme,
                                               const std::wstring& program) {
    const auto own = commandUnder(HKEY_CURRENT_USER, scheme);
    const bool ours = own && runsProgram(*own, program);
    if (ours) {
        const LSTATUS error = RegDeleteTreeW(HKEY_CURRENT_USER, classesKey(scheme).c_str());
        if (error != ERROR_SUCCESS) {
            return {false, L"未能取消：" + errorText(error)};
        }
    }
    const auto handler = handlerOf(scheme);
    if (handler && runsProgram(*handler, program)) {
        return {false, L"仍用 Orvanthe 打开：这是为这台计算机的所有用户设的，须由管理员取消"};
    }
    return {true, ours ? L"已取消，不再用 Orvanthe 打开" : L"本来就不用 Orvanthe 打开，未作更改"};
}

SchemeReport report(std::pair<bool, std::wstring> (*change)(std::wstring_view,
                                                            const std::wstring&)) {
    const std::wstring program = programPath();
    SchemeReport result{0, L"点击链接时打开的程序：\n"};
    for (const std::wstring_view scheme : schemes) {
        const auto [done, what] = change(scheme, program);
        result.status |= done ? 0 : 1;
        result.message += L"\n" + std::wstring(scheme) + L" 链接：" + what;
    }
    return result;
}

} // namespace

SchemeReport registerSchemes() {
    return report(registerScheme);
}

SchemeReport unregisterSchemes() {
    return report(unregisterScheme);
}

} // namespace orvanthe
