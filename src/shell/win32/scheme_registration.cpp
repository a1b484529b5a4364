#include "scheme_registration.h"

#include "held.h"

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
    HeldKey key;
    if (RegOpenKeyExW(root, classesKey(scheme).c_str(), 0, KEY_READ, key.receive()) !=
        ERROR_SUCCESS) {
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
        error = RegGetValueW(key.get(), L"shell\\open\\command", nullptr, types, nullptr,
                             command.data(), &bytes);
    }
    command.resize(error == ERROR_SUCCESS ? bytes / sizeof(wchar_t) : 0);
    while (!command.empty() && command.back() == L'\0') {
        command.pop_back();
    }
    return command;
}

// The command that opens `scheme`'s links as the shell finds it: the current user's
// registration first, else the machine's; empty text where keys hold no command.
std::optional<std::wstring> handlerOf(std::wstring_view scheme) {
    std::optional<std::wstring> found;
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        if (auto command = commandUnder(root, scheme); command && (!found || found->empty())) {
            found = std::move(command);
        }
    }
    return found;
}

// The program that `command` starts: its first word, quoted or not.
std::wstring_view programOf(std::wstring_view command) {
    if (!command.starts_with(L'"')) {
        return command.substr(0, command.find(L' '));
    }
    const std::size_t end = command.find(L'"', 1);
    return end == std::wstring_view::npos ? std::wstring_view() : command.substr(1, end - 1);
}

bool samePath(std::wstring_view one, std::wstring_view other) {
    return CompareStringOrdinal(one.data(), int(one.size()), other.data(), int(other.size()),
                                TRUE) == CSTR_EQUAL;
}

// Whether `command` starts `program` (in any case).
bool runsProgram(std::wstring_view command, std::wstring_view program) {
    return !program.empty() && samePath(programOf(command), program);
}

// Whether `command` was left by a copy of this program that was moved or deleted: it starts a
// program of this one's file name elsewhere, or one whose full path leads nowhere any more.
bool leftByOldCopy(std::wstring_view command, std::wstring_view program) {
    const std::wstring_view started = programOf(command);
    const auto nameOf = [](std::wstring_view path) {
        return path.substr(path.find_last_of(L'\\') + 1); // npos + 1 is 0: all of it
    };
    if (!program.empty() && samePath(nameOf(started), nameOf(program))) {
        return true;
    }
    // A program named without its full path is found on the search path: never called gone.
    const bool fullPath =
        started.starts_with(L"\\\\") || (started.size() > 2 && started.substr(1, 2) == L":\\");
    if (!fullPath) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(std::wstring(started).c_str());
    const DWORD error = GetLastError();
    return attributes == INVALID_FILE_ATTRIBUTES &&
           (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
}

std::wstring errorText(LSTATUS error) {
    return L"系统错误 " + std::to_wstring(error);
}

// What registration writes under a scheme's key: the subkey (null for the key itself), the
// value's name (null for its default value) and its text.
std::array<std::tuple<const wchar_t*, const wchar_t*, std::wstring>, 4>
valuesOf(std::wstring_view scheme, const std::wstring& program) {
    const std::wstring quoted = L"\"" + program + L"\"";
    return {{
        {nullptr, nullptr, L"URL:" + std::wstring(scheme) + L" Protocol"},
        {nullptr, L"URL Protocol", L""},
        {L"DefaultIcon", nullptr, quoted + L",0"},
        {L"shell\\open\\command", nullptr, quoted + L" \"%1\""},
    }};
}

// The subkeys that registration makes, the deepest first: they go when they are empty.
constexpr const wchar_t* subkeys[] = {L"shell\\open\\command", L"shell\\open", L"shell",
                                      L"DefaultIcon"};

// Deletes `path` under `root` when it holds neither values nor subkeys.
void deleteIfEmpty(HKEY root, const std::wstring& path) {
    HeldKey key;
    DWORD subkeyCount = 1, valueCount = 1;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.receive()) == ERROR_SUCCESS &&
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeyCount, nullptr, nullptr,
                         &valueCount, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        subkeyCount == 0 && valueCount == 0) {
        key.reset();
        RegDeleteKeyW(root, path.c_str());
    }
}

// Removes what registration writes under the current user's key of `scheme`, and the keys
// that it leaves empty; whatever else is there stays.
LSTATUS removeScheme(std::wstring_view scheme) {
    const std::wstring path = classesKey(scheme);
    for (const auto& [subKey, name, data] : valuesOf(scheme, L"")) {
        const LSTATUS error = RegDeleteKeyValueW(
            HKEY_CURRENT_USER, (subKey ? path + L"\\" + subKey : path).c_str(), name);
        if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) {
            return error;
        }
    }
    for (const wchar_t* subKey : subkeys) {
        deleteIfEmpty(HKEY_CURRENT_USER, path + L"\\" + subKey);
    }
    deleteIfEmpty(HKEY_CURRENT_USER, path);
    return ERROR_SUCCESS;
}

// Writes the values that make `program` open `scheme`'s links, into the current user's key
// of the scheme, made where it is missing.
LSTATUS writeScheme(std::wstring_view scheme, const std::wstring& program) {
    HeldKey key;
    LSTATUS error = RegCreateKeyExW(HKEY_CURRENT_USER, classesKey(scheme).c_str(), 0, nullptr, 0,
                                    KEY_WRITE, nullptr, key.receive(), nullptr);
    for (const auto& [subKey, name, data] : valuesOf(scheme, program)) {
        if (error == ERROR_SUCCESS) {
            error = RegSetKeyValueW(key.get(), subKey, name, REG_SZ, data.c_str(),
                                    DWORD((data.size() + 1) * sizeof(wchar_t)));
        }
    }
    return error;
}

std::wstring heldByOther(const std::wstring& command) {
    return L"由另一程序打开，未作更改（" + command + L"）";
}

// Whether `program` opens `scheme` afterwards, and what happened, in words.
std::pair<bool, std::wstring> registerScheme(std::wstring_view scheme,
                                             const std::wstring& program) {
    const auto handler = handlerOf(scheme);
    if (handler && runsProgram(*handler, program)) {
        return {true, L"已经用 Orvanthe 打开"};
    }
    // A key without a command opens nothing; an old copy's registration is taken over.
    const bool old = handler && !handler->empty() && leftByOldCopy(*handler, program);
    if (handler && !handler->empty() && !old) {
        return {false, heldByOther(*handler)};
    }
    if (program.empty()) {
        return {false, L"未能设置：找不到本程序的路径"};
    }
    if (program.find(L'%') != std::wstring::npos) {
        // The shell would put the link in place of "%1" and the like inside the path.
        return {false, L"未能设置：本程序的路径含有“%”，请把它移到路径中没有“%”的文件夹"};
    }
    if (const LSTATUS error = writeScheme(scheme, program); error != ERROR_SUCCESS) {
        removeScheme(scheme); // no half registration stays behind
        return {false, L"未能设置：" + errorText(error)};
    }
    if (old) {
        return {true, L"已改为用这里的 Orvanthe 打开（原为 " + *handler + L"）"};
    }
    return {true, L"已设为用 Orvanthe 打开"};
}

// Whether `program` opens `scheme` no more afterwards, and what happened, in words.
std::pair<bool, std::wstring> unregisterScheme(std::wstring_view scheme,
                                               const std::wstring& program) {
    const auto own = commandUnder(HKEY_CURRENT_USER, scheme);
    const bool ours =
        own && !own->empty() && (runsProgram(*own, program) || leftByOldCopy(*own, program));
    if (ours) {
        if (const LSTATUS error = removeScheme(scheme); error != ERROR_SUCCESS) {
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
