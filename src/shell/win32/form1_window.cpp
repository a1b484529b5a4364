#include "form1_window.h"

#include "resource_ids.h"

#include <algorithm>
#include <commctrl.h>
#include <numeric>
#include <string>

namespace orvanthe {
namespace {

constexpr wchar_t form1Class[] = L"Orvanthe.Form1";
constexpr wchar_t frameClass[] = L"Orvanthe.Frame";
constexpr wchar_t pictureClass[] = L"Orvanthe.Picture";

// Control k of the table has the id firstControlId + k: well clear of IDOK and IDCANCEL,
// which the dialog keys Enter and Esc send to the window.
constexpr int firstControlId = 100;

// What an edit shows when that is not known: no revision of a field.
constexpr std::uint64_t unknownRevision = ~std::uint64_t{0};

// An edit that did not take the text of its field.
struct NotShown {};

// The work fields lie below the client area.
bool outOfSight(std::size_t field) {
    return FieldId(field) >= FieldId::xl;
}

const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string textOf(HWND window) {
    std::u16string text(std::size_t(GetWindowTextLengthW(window)), u'\0');
    const int length =
        GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), int(text.size() + 1));
    text.resize(std::size_t(std::max(length, 0)));
    return text;
}

// A push button answers the dialog keys as a plain button, never as one that may become the
// default: the dialog manager would make a button that Tab reaches the default one, and
// Enter would then click it.
LRESULT CALLBACK buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, buttonProc, 0);
    }
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    if (message == WM_GETDLGCODE) {
        return result & ~LRESULT(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
    }
    return result;
}

void reportToUser(HWND window, Form1Window::Failure failure) {
    if (failure == Form1Window::Failure::Copy) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    const std::u16string caption(windowCaption);
    MessageBoxW(window,
                L"内存不足，未能完成：各栏均保持原样。\n\n"
                L"Not enough memory: nothing was changed.",
                wide(caption), MB_OK | MB_ICONWARNING);
}

// Frames and picture panels hold controls: the notifications of those controls go to their
// parent, so they pass them on up to the window, which maps them to fields and commands.
LRESULT CALLBACK pictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        return SendMessageW(GetParent(hwnd), message, wParam, lParam);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A frame without a caption: an etched line around its panel.
LRESULT CALLBACK frameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        RECT rect;
        GetClientRect(hwnd, &rect);
        DrawEdge(dc, &rect, EDGE_ETCHED, BF_RECT);
        EndPaint(hwnd, &paint);
        return 0;
    }
    return pictureProc(hwnd, message, wParam, lParam);
}

template <typename Function>
Function systemFunction(const wchar_t* module, const char* name) {
    const FARPROC function = GetProcAddress(GetModuleHandleW(module), name);
    // Through void (*)(), which converts to any function pointer type without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(function));
}

// The window's dots per inch: its own where the system tells (Windows 10), else the screen's.
int dpiOf(HWND hwnd) {
    using GetDpiForWindow = UINT(WINAPI*)(HWND);
    if (const auto dpiForWindow =
            systemFunction<GetDpiForWindow>(L"user32.dll", "GetDpiForWindow")) {
        if (const UINT dpi = dpiForWindow(hwnd)) {
            return int(dpi);
        }
    }
    HDC dc = GetDC(hwnd);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(hwnd, dc);
    return dpi > 0 ? dpi : 96;
}

bool registerClasses(HINSTANCE instance, WNDPROC form1Proc) {
    WNDCLASSEXW windowClass{};
    if (GetClassInfoExW(instance, form1Class, &windowClass)) {
        return true;
    }
    windowClass.cbSize = sizeof windowClass;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);

    windowClass.lpfnWndProc = pictureProc;
    windowClass.lpszClassName = pictureClass;
    if (!RegisterClassExW(&windowClass)) {
        return false;
    }
    windowClass.lpfnWndProc = frameProc;
    windowClass.lpszClassName = frameClass;
    if (!RegisterClassExW(&windowClass)) {
        return false;
    }
    // Without the program's icon (in a test, say) the window takes the system's.
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_ORVANTHE));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_ORVANTHE),
                                                        IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.lpfnWndProc = form1Proc;
    windowClass.lpszClassName = form1Class;
    return RegisterClassExW(&windowClass) != 0;
}

struct ChildStyle {
    const wchar_t* className;
    DWORD style;
    DWORD extendedStyle;
};

ChildStyle childStyle(ControlKind kind) {
    switch (kind) {
    case ControlKind::TextField:
        return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Button:
        // A plain push button: none is the window's default, so Enter clicks nothing.
        return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::Label:
        return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::Frame:
        // Tab moves through the controls inside frames and panels as through the window's own.
        return {frameClass, 0, WS_EX_CONTROLPARENT};
    case ControlKind::Picture:
        return {pictureClass, 0, WS_EX_CONTROLPARENT};
    }
    return {L"STATIC", 0, 0};
}

// The font of message boxes, the system's choice for dialogs in the user's language, at
// `dpi` dots per inch.
HeldFont createDialogFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    if (const auto forDpi = systemFunction<ForDpi>(L"user32.dll", "SystemParametersInfoForDpi");
        forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, UINT(dpi))) {
        return HeldFont(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    // Before Windows 10 the system tells its metrics at the screen's DPI.
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return {};
    }
    LONG& height = metrics.lfMessageFont.lfHeight;
    height = MulDiv(height, dpi, dpiOf(nullptr));
    return HeldFont(CreateFontIndirectW(&metrics.lfMessageFont));
}

// The outer size of a window of `style` whose client area is `client` at `dpi`.
SIZE windowSizeFor(SIZE client, DWORD style, int dpi) {
    RECT frame{0, 0, client.cx, client.cy};
    using ForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    const auto forDpi = systemFunction<ForDpi>(L"user32.dll", "AdjustWindowRectExForDpi");
    if (!forDpi || !forDpi(&frame, style, FALSE, 0, UINT(dpi))) {
        AdjustWindowRectEx(&frame, style, FALSE, 0);
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// The twips of the table as pixels at `dpi`.
SIZE clientSizeAt(int dpi) {
    return {twipsToPixels(clientWidthTwips, dpi), twipsToPixels(clientHeightTwips, dpi)};
}

// A tooltip for each field and button, with the help text of the table; null where the
// common controls offer none. The tooltip copies each text.
HWND createTooltip(HWND owner, const std::array<HWND, controls.size()>& children) {
    HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (!tooltip) {
        return nullptr;
    }
    for (std::size_t k = 0; k < controls.size(); ++k) {
        std::u16string text(helpOf(controls[k].name));
        if (text.empty()) {
            continue;
        }
        // The size of the oldest common controls that take these fields.
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = GetParent(children[k]);
        tool.uId = reinterpret_cast<UINT_PTR>(children[k]);
        tool.lpszText = const_cast<wchar_t*>(wide(text));
        SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return tooltip;
}

} // namespace

Form1Window::Form1Window() : report_([this](Failure failure) { reportToUser(hwnd_, failure); }) {
    clipboard_.reportFailedCopy([this] { report_(Failure::Copy); });
}

Form1Window::~Form1Window() {
    if (hwnd_) {
        DestroyWindow(hwnd_);
    }
}

bool Form1Window::create() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (hwnd_ || !registerClasses(instance, windowProc)) {
        return false;
    }
    const std::u16string caption(windowCaption);
    if (!CreateWindowExW(0, form1Class, wide(caption), windowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this)) {
        return false;
    }
    if (!createControls()) {
        DestroyWindow(hwnd_);
        return false;
    }
    layOut(dpiOf(hwnd_), nullptr);
    tooltip_ = createTooltip(hwnd_, children_);
    return true;
}

void Form1Window::layOut(int dpi, const RECT* suggested) {
    const SIZE client = clientSizeAt(dpi);
    const SIZE outer = windowSizeFor(client, windowStyle, dpi);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (suggested ? 0 : SWP_NOMOVE);
    const POINT at = suggested ? POINT{suggested->left, suggested->top} : POINT{};
    SetWindowPos(hwnd_, nullptr, at.x, at.y, outer.cx, outer.cy, flags);
    // Where the caption is taller than the system says (some themes), correct once.
    RECT actual;
    GetClientRect(hwnd_, &actual);
    if (actual.right != client.cx || actual.bottom != client.cy) {
        SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx + client.cx - actual.right,
                     outer.cy + client.cy - actual.bottom, flags | SWP_NOMOVE);
    }

    HeldFont font = createDialogFont(dpi);
    const auto pixels = [dpi](int twips) { return twipsToPixels(twips, dpi); };
    for (std::size_t k = 0; k < controls.size(); ++k) {
        const Control& control = controls[k];
        SetWindowPos(children_[k], nullptr, pixels(control.left), pixels(control.top),
                     pixels(control.width), pixels(control.height), SWP_NOZORDER | SWP_NOACTIVATE);
        if (font) {
            SendMessageW(children_[k], WM_SETFONT, WPARAM(font.get()), TRUE);
        }
    }
    if (font) {
        font_ = std::move(font); // no control draws with the old font any more
    }
    // The frames draw their edge along their whole client area: all of it again.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

HWND Form1Window::control(std::string_view name) const {
    const int index = indexOfControl(name);
    return index < 0 ? nullptr : children_[std::size_t(index)];
}

bool Form1Window::createControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // The table lists parents before their children. layOut places them.
    for (std::size_t k = 0; k < controls.size(); ++k) {
        const Control& control = controls[k];
        const int parent = indexOfControl(control.parent);
        const ChildStyle child = childStyle(control.kind);
        const std::u16string caption(control.field ? form_.text(*control.field) : control.caption);
        HWND window = CreateWindowExW(child.extendedStyle, child.className, wide(caption),
                                      WS_CHILD | WS_VISIBLE | child.style, 0, 0, 0, 0,
                                      parent < 0 ? hwnd_ : children_[std::size_t(parent)],
                                      reinterpret_cast<HMENU>(INT_PTR(firstControlId + int(k))),
                                      instance, nullptr);
        if (!window) {
            return false;
        }
        children_[k] = window;
        if (control.kind == ControlKind::Button && !SetWindowSubclass(window, buttonProc, 0, 0)) {
            return false;
        }
        if (control.field) {
            const auto field = std::size_t(*control.field);
            // No length limit (an edit takes 30,000 characters unless told otherwise).
            SendMessageW(window, EM_SETLIMITTEXT, 0, 0);
            edits_[field] = window;
            shownRevisions_[field] = form_.field(*control.field).revision();
        }
    }

    // Tab and the arrow keys follow the z-order of siblings: put it in the table's tab order.
    // A screen reader names an edit by the label just before it, so each label goes right
    // before its field; labels take no focus, so Tab is unchanged.
    const auto place = [](std::size_t k) {
        const std::string_view field = fieldOfLabel(controls[k].name);
        const int tabIndex = field.empty() ? controls[k].tabIndex
                                           : controls[std::size_t(indexOfControl(field))].tabIndex;
        return std::pair(tabIndex, field.empty());
    };
    std::array<std::size_t, controls.size()> byTab;
    std::iota(byTab.begin(), byTab.end(), 0);
    std::sort(byTab.begin(), byTab.end(),
              [&place](std::size_t a, std::size_t b) { return place(a) < place(b); });
    for (const std::size_t k : byTab) {
        SetWindowPos(children_[k], HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    return true;
}

LRESULT CALLBACK Form1Window::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window =
            static_cast<Form1Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->hwnd_ = hwnd;
        window->clipboard_.setOwner(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<Form1Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!window) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    const LRESULT result = window->handleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        window->hwnd_ = nullptr;
        window->lastFocus_ = nullptr;
        window->tooltip_ = nullptr;
        window->children_.fill(nullptr);
        window->edits_.fill(nullptr);
        window->clipboard_.setOwner(nullptr);
    }
    return result;
}

LRESULT Form1Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        // Enter and Esc arrive as IDOK and IDCANCEL, which name no control: they do nothing.
        const int id = LOWORD(wParam);
        if (id >= firstControlId && id < firstControlId + int(controls.size())) {
            onControl(std::size_t(id - firstControlId), HIWORD(wParam));
        }
        return 0;
    }
    case WM_ACTIVATE:
        // Give the focus back where it was when the user returns to the window.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) {
                lastFocus_ = focus;
            }
        }
        break;
    case WM_SETFOCUS: {
        const HWND target = lastFocus_ && IsWindow(lastFocus_)
                                ? lastFocus_
                                : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
        if (target) {
            SetFocus(target);
        }
        return 0;
    }
    case WM_GETDPISCALEDSIZE: {
        // Windows would scale the whole window; the client area must be the table's size.
        const int dpi = int(wParam);
        *reinterpret_cast<SIZE*>(lParam) = windowSizeFor(clientSizeAt(dpi), windowStyle, dpi);
        return TRUE;
    }
    case WM_DPICHANGED:
        // Moved to a screen of another scale, or the user changed the scale.
        layOut(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        // The only window: the program ends with it.
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Form1Window::onControl(std::size_t index, WORD notification) {
    const Control& control = controls[index];
    if (control.command && notification == BN_CLICKED) {
        runCommand(*control.command);
        return;
    }
    if (!control.field) {
        return;
    }
    const auto k = std::size_t(*control.field);
    if (notification == EN_CHANGE && !showing_) {
        // The user's typing goes to the field; the edit already shows it.
        try {
            form_.setText(*control.field, textOf(children_[index]));
            shownRevisions_[k] = form_.field(*control.field).revision();
        } catch (...) {
            // The field keeps what it held: so does the edit.
            shownRevisions_[k] = unknownRevision;
            showField(k);
            report_(Failure::Command);
        }
    } else if (notification == EN_SETFOCUS && !showField(k)) {
        report_(Failure::Command);
    }
}

void Form1Window::runCommand(CommandId command) {
    // Nothing may unwind into the system's code that called the window.
    try {
        form_.run(command, [this] {
            if (!showChangedFields()) {
                throw NotShown{};
            }
        });
    } catch (...) {
        // Every field is back as it was before the command; so is every edit.
        showChangedFields();
        report_(Failure::Command);
    }
}

bool Form1Window::showChangedFields() {
    // Only the edits whose field a command wrote: the others keep their caret and selection.
    bool shown = true;
    for (std::size_t k = 0; k < fieldCount; ++k) {
        if (!outOfSight(k) || (edits_[k] && GetFocus() == edits_[k])) {
            shown = showField(k) && shown;
        }
    }
    return shown;
}

bool Form1Window::showField(std::size_t k) {
    const Field& field = form_.field(FieldId(k));
    if (!edits_[k] || field.revision() == shownRevisions_[k]) {
        return true;
    }
    showing_ = true;
    // An edit that cannot hold the text (its memory ran out) may refuse it or keep part.
    const bool shown = SetWindowTextW(edits_[k], wide(field.text())) &&
                       std::size_t(GetWindowTextLengthW(edits_[k])) == field.text().size();
    showing_ = false;
    shownRevisions_[k] = shown ? field.revision() : unknownRevision;
    return shown;
}

} // namespace orvanthe
