#include "start_up.h"

#include "form1_window.h"

#include <commctrl.h>

namespace orvanthe {

bool InitVisualStyles() {
    // Loaded by name rather than linked, so that a system whose library lacks the function
    // still starts the program, with plain controls. The library stays loaded for the
    // controls to use.
    const HMODULE library = LoadLibraryW(L"comctl32.dll");
    if (!library) {
        return false;
    }
    using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto initCommonControlsEx = reinterpret_cast<InitCommonControlsExFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "InitCommonControlsEx")));
    if (!initCommonControlsEx) {
        return false;
    }
    INITCOMMONCONTROLSEX classes{};
    static_assert(sizeof classes == 8, "two 32-bit fields");
    static_assert(ICC_USEREX_CLASSES == 0x200);
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_USEREX_CLASSES;
    return initCommonControlsEx(&classes) != FALSE;
}

void Main(std::optional<std::u16string_view> text) {
    InitVisualStyles();
    // The window lives as long as the program.
    static Form1Window form1;
    if (text) {
        form1.fill(fieldOfInput(*text), *text);
    }
    if (!form1.create()) {
        PostQuitMessage(1);
        return;
    }
    ShowWindow(form1.hwnd(), SW_SHOWDEFAULT);
    UpdateWindow(form1.hwnd());
}

int runMessageLoop() {
    MSG message;
    BOOL result;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        dispatchMessage(message);
    }
    return result == 0 ? int(message.wParam) : 1;
}

void dispatchMessage(MSG& message) {
    const HWND top = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (top && IsDialogMessageW(top, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

} // namespace orvanthe
