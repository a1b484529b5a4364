// The real window driven with messages through its message loop, and the real clipboard, as
// a user would with keys and clicks.
#include "cases.h"
#include "shell/control_table.h"
#include "shell/win32/form1_window.h"
#include "shell/win32/start_up.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <oleacc.h>

namespace orvanthe::test {

std::u16string textOf(HWND window) {
    std::u16string text(std::size_t(GetWindowTextLengthW(window)) + 1, u'\0');
    text.resize(std::size_t(
        GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), int(text.size()))));
    return text;
}

// The clipboard as another program sees it.
std::u16string clipboardText() {
    std::u16string text = u"(unreadable)";
    if (OpenClipboard(nullptr)) {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        text = data ? static_cast<const char16_t*>(GlobalLock(data)) : u"(empty)";
        GlobalUnlock(data);
        CloseClipboard();
    }
    return text;
}

// Puts `text` on the clipboard, or just empties it.
void putOnClipboard(std::optional<std::u16string_view> text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    if (text) {
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text->size() + 1) * sizeof(char16_t));
        *std::ranges::copy(*text, static_cast<char16_t*>(GlobalLock(data))).out = u'\0';
        GlobalUnlock(data);
        SetClipboardData(CF_UNICODETEXT, data);
    }
    CloseClipboard();
}

// Another thread's window holding the clipboard open for `holdMs` milliseconds, or until the
// holder goes.
struct ClipboardHolder {
    explicit ClipboardHolder(DWORD holdMs = INFINITE)
        : thread([this, holdMs] {
              holding = OpenClipboard(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0,
                                                      HWND_MESSAGE, nullptr, nullptr, nullptr));
              SetEvent(held);
              WaitForSingleObject(release, holdMs);
              CloseClipboard(); // the window goes with its thread
          }) {
        WaitForSingleObject(held, INFINITE);
    }
    ~ClipboardHolder() {
        SetEvent(release);
        thread.join();
    }
    bool holding = false;
    HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread thread; // last: it starts once the events are there
};

// An edit that refuses every text, as one whose memory has run out does.
WNDPROC editProc = nullptr;
LRESULT CALLBACK refusingEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_SETTEXT ? FALSE : CallWindowProcW(editProc, hwnd, message, wParam, lParam);
}

class WindowTest : public testing::Test {
protected:
    using Failure = Form1Window::Failure;

    void SetUp() override {
        window.setFailureReport([this](Failure failure) { failures.push_back(failure); });
        ASSERT_TRUE(window.create());
        ShowWindow(window.hwnd(), SW_SHOW);
        pump();
    }
    static void pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            dispatchMessage(message);
        }
    }
    HWND control(const std::string& name) const { return window.control(name); }
    HWND field(int k) const { return control("Text" + std::to_string(k + 1)); }
    // A left click in the middle of the button.
    void click(int command) {
        HWND button = control("Command" + std::to_string(command));
        RECT rect;
        GetClientRect(button, &rect);
        PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(rect.right / 2, rect.bottom / 2));
        PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(rect.right / 2, rect.bottom / 2));
        pump();
    }
    void type(const Visible& texts) {
        for (int k = 0; k < 4; ++k) {
            SetWindowTextW(field(k),
                           reinterpret_cast<const wchar_t*>(texts[std::size_t(k)].c_str()));
        }
    }
    Visible visible() const {
        return {textOf(field(0)), textOf(field(1)), textOf(field(2)), textOf(field(3))};
    }
    void placeCaret(int k, int at) { SendMessageW(field(k), EM_SETSEL, WPARAM(at), LPARAM(at)); }
    int caret(int k) const {
        DWORD start = 0, end = 0;
        SendMessageW(field(k), EM_GETSEL, WPARAM(&start), LPARAM(&end));
        return start == end ? int(start) : -1;
    }
    void focusFirst() { SetFocus(window.hwnd()); }
    std::string focused() const {
        const auto at = std::ranges::find(controls, GetFocus(), [this](const Control& entry) {
            return window.control(std::string(entry.name));
        });
        return at == controls.end() ? "" : std::string(at->name);
    }
    // The key whose virtual-key code is also its character.
    void press(char16_t key) {
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageW(GetFocus(), WM_CHAR, key, 1);
        PostMessageW(GetFocus(), WM_KEYUP, key, LPARAM(0xC0000001));
        pump();
    }
    void pasteKeys(int k) { SendMessageW(field(k), WM_PASTE, 0, 0); }
    static auto holdClipboard() { return std::make_unique<ClipboardHolder>(); }

    Form1Window window;
    std::vector<Failure> failures;
};

// As it opens at the screen's DPI (which ORVANTHE_SCREEN_DPI names where set), then as it is
// told that the DPI changed: the client area and every control at their twips, and a font
// that grows with the DPI.
TEST_F(WindowTest, LaysOutAtTheScreensDpiAndAgainAtEveryNewOne) {
    const auto fontHeight = [](HWND control) {
        LOGFONTW font{};
        GetObjectW(HGDIOBJ(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
        return std::abs(font.lfHeight);
    };
    HDC screen = GetDC(nullptr);
    const int screenDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const char* expected = std::getenv("ORVANTHE_SCREEN_DPI");
    ASSERT_EQ(screenDpi, expected ? std::atoi(expected) : screenDpi);
    const LONG openingFont = fontHeight(control("Command12"));
    for (const int dpi : {0, 96, 144, 192}) { // 0: as it opens
        RECT frame, client;
        GetWindowRect(window.hwnd(), &frame);
        if (dpi) { // Windows suggests where the window goes; its size comes from the table
            RECT suggested{frame.left + 8, frame.top + 16, frame.right, frame.bottom};
            SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&suggested));
            GetWindowRect(window.hwnd(), &frame);
            EXPECT_EQ(std::pair(frame.left, frame.top), std::pair(suggested.left, suggested.top));
        } else { // the size the window asks Windows for as a change comes, at its own DPI
            SIZE asked{};
            SendMessageW(window.hwnd(), WM_GETDPISCALEDSIZE, WPARAM(screenDpi), LPARAM(&asked));
            EXPECT_EQ(std::pair(asked.cx, asked.cy),
                      std::pair(frame.right - frame.left, frame.bottom - frame.top));
        }
        const int at = dpi ? dpi : screenDpi;
        const auto pixels = [at](int twips) { return LONG(twipsToPixels(twips, at)); };
        GetClientRect(window.hwnd(), &client);
        EXPECT_EQ(std::pair(client.right, client.bottom),
                  std::pair(pixels(clientWidthTwips), pixels(clientHeightTwips)))
            << at;
        EXPECT_NEAR(fontHeight(control("Command12")), openingFont * at / screenDpi, 1) << at;
        for (const Control& entry : controls) {
            HWND child = control(std::string(entry.name));
            RECT rect;
            GetWindowRect(child, &rect);
            MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
            EXPECT_EQ(
                std::tuple(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                std::tuple(pixels(entry.left), pixels(entry.top), pixels(entry.width),
                           pixels(entry.height)))
                << entry.name << " at " << at;
            // Every kind that draws text draws it in the one font.
            EXPECT_TRUE(entry.kind > ControlKind::Label ||
                        fontHeight(child) == fontHeight(control("Command12")));
        }
    }
}

// The test above in a process of its own with the screen at each DPI: Wine reads the DPI as
// a process starts. The last leaves the screen at its usual 96 DPI.
TEST(ScreenDpi, TheWindowOpensLaidOutAtEach) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (const DWORD dpi : {144u, 192u, 96u}) {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi,
                        sizeof dpi);
        SetEnvironmentVariableW(L"ORVANTHE_SCREEN_DPI", std::to_wstring(dpi).c_str());
        EXPECT_EQ(
            _wsystem(
                (L"\"\"" + std::wstring(self) + L"\" --gtest_filter=*AtTheScreensDpi*\"").c_str()),
            0)
            << dpi << " DPI";
    }
    SetEnvironmentVariableW(L"ORVANTHE_SCREEN_DPI", nullptr);
}

// Every field and button has a tooltip ("粘贴迅雷链接并转换" on the thunder row's paste
// button); screen readers name the fields by their labels.
TEST_F(WindowTest, FieldsAndButtonsSayWhatTheyAre) {
    for (const Control& entry : controls) {
        if (entry.kind != ControlKind::TextField && entry.kind != ControlKind::Button) {
            continue;
        }
        wchar_t shown[80] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = GetParent(control(std::string(entry.name)));
        tool.uId = UINT_PTR(control(std::string(entry.name)));
        tool.lpszText = shown;
        ASSERT_TRUE(SendMessageW(window.tooltip(), TTM_GETTOOLINFOW, 0, LPARAM(&tool)))
            << entry.name;
        // Shown as the mouse rests on the control itself, with no help from the window.
        EXPECT_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), UINT(TTF_IDISHWND | TTF_SUBCLASS));
        SendMessageW(window.tooltip(), TTM_GETTEXTW, std::size(shown), LPARAM(&tool));
        const std::u16string text = reinterpret_cast<const char16_t*>(shown);
        EXPECT_FALSE(text.empty()) << entry.name;
        EXPECT_TRUE(entry.name != "Command3" || text == u"粘贴迅雷链接并转换");
    }
    CoInitialize(nullptr);
    for (const auto& [label, field] : fieldLabels) {
        IAccessible* accessible = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(control(std::string(field)), DWORD(OBJID_CLIENT),
                                             __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&accessible)),
                  S_OK);
        VARIANT self{};
        self.vt = VT_I4; // and CHILDID_SELF
        BSTR name = nullptr;
        accessible->get_accName(self, &name);
        EXPECT_EQ(std::u16string(name ? reinterpret_cast<char16_t*>(name) : u""),
                  textOf(control(std::string(label))));
        SysFreeString(name);
        accessible->Release();
    }
    CoUninitialize();
}

// A held clipboard is waited for a moment, and otherwise a copy fails and says so.
TEST_F(WindowTest, ACopyToAClipboardThatIsHeldFails) {
    putOnClipboard(u"qqdl://YQ==");
    type({u"http://a.b/c.zip", u"", u"", u""});
    {
        const ClipboardHolder holder;
        ASSERT_TRUE(holder.holding);
        for (int command = 2; command <= 8; command += 2) {
            click(command);
        }
    }
    EXPECT_EQ(clipboardText(), u"qqdl://YQ==");
    EXPECT_EQ(failures, std::vector(4, Failure::Copy));
    {
        const ClipboardHolder holder(10);
        ASSERT_TRUE(holder.holding);
        click(7);
    }
    EXPECT_EQ(textOf(field(0)), u"a");
}

// A command whose result an edit refuses changes no field, and says so.
TEST_F(WindowTest, ACommandThatCannotBeShownChangesNothing) {
    const Visible typed = {u"http://a.b/c.zip", u"2", u"3", u"4"};
    type(typed);
    putOnClipboard(u"qqdl://YQ==");
    editProc = WNDPROC(SetWindowLongPtrW(field(2), GWLP_WNDPROC, LONG_PTR(refusingEditProc)));
    click(7);
    SetWindowLongPtrW(field(2), GWLP_WNDPROC, LONG_PTR(editProc));
    EXPECT_EQ(visible(), typed);
    EXPECT_EQ(failures, std::vector{Failure::Command});
    click(12); // from the address the fields still hold
    EXPECT_EQ(visible()[3], u"qqdl://aHR0cDovL2EuYi9jLnppcA==");
}

// A paste whose text cannot be copied out (as one of hundreds of megabytes cannot) changes
// nothing, says so, and leaves the clipboard to the other programs.
TEST_F(WindowTest, AFailedPasteLeavesTheClipboardToOthers) {
    const Visible typed = {u"http://a.b/c.zip", u"2", u"3", u"4"};
    type(typed);
    putOnClipboard(u"qqdl://YQ==");
    window.clipboard().limitText(10);
    click(7);
    EXPECT_EQ(visible(), typed);
    EXPECT_EQ(failures, std::vector{Failure::Command});
    EXPECT_TRUE(ClipboardHolder(0).holding);
    window.clipboard().limitText(11);
    click(7);
    EXPECT_EQ(visible()[0], u"a");
}

} // namespace orvanthe::test

#include "window_suite.h"
