#include "scheme_registration.h"
#include "shell/start_request.h"
#include "start_up.h"

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>
#include <windows.h>

namespace {

constexpr wchar_t usage[] = L"用法：\n\n"
                            L"\"Orvanthe 0.1.exe\" [链接或地址]\n"
                            L"    打开窗口，填入链接或地址\n\n"
                            L"\"Orvanthe 0.1.exe\" --register\n"
                            L"    点击 thunder、flashget、qqdl 链接时用本程序打开（当前用户）\n\n"
                            L"\"Orvanthe 0.1.exe\" --unregister\n"
                            L"    取消这一设置";

int tell(const orvanthe::SchemeReport& report) {
    MessageBoxW(nullptr, report.message.c_str(), L"Orvanthe",
                UINT(MB_OK | (report.status == 0 ? MB_ICONINFORMATION : MB_ICONWARNING)));
    return report.status;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace orvanthe;
    // The C runtime has split the command line by the rules the shell quotes it by.
    std::vector<std::u16string> arguments;
    for (int k = 1; k < __argc; ++k) {
        const std::wstring_view argument = __wargv[k];
        arguments.emplace_back(argument.begin(), argument.end());
    }
    const std::vector<std::u16string_view> views(arguments.begin(), arguments.end());
    const StartRequest request = startRequest(views);
    switch (request.kind) {
    case StartKind::Window:
        Main();
        return runMessageLoop();
    case StartKind::Text:
        Main(request.text);
        return runMessageLoop();
    case StartKind::Register:
        return tell(registerSchemes());
    case StartKind::Unregister:
        return tell(unregisterSchemes());
    case StartKind::Usage:
        break;
    }
    MessageBoxW(nullptr, usage, L"Orvanthe", MB_OK | MB_ICONERROR);
    return 2;
}
