// The real window driven with messages, and the real clipboard, as a user would with keys
// and clicks.
#include "codec/class1.h"
#include "shell/control_table.h"
#include "shell/win32/form1_window.h"
#include "shell/win32/start_up.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>
#include <windows.h>

namespace orvanthe {
namespace {

using Visible = std::array<std::u16string, 4>; // Text1 - Text4

std::u16string textOf(HWND window) {
    std::u16string text(std::size_t(GetWindowTextLengthW(window)), u'\0');
    text.resize(std::size_t(
        GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), int(text.size() + 1))));
    return text;
}

// The clipboard as another program sees it.
std::optional<std::u16string> clipboardText() {
    std::optional<std::u16string> text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text.emplace(static_cast<const char16_t*>(GlobalLock(data)));
            GlobalUnlock(data);
        }
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

// Another window, on another thread, holding the clipboard open until the holder goes or
// for `holdMs` milliseconds.
struct ClipboardHolder {
    explicit ClipboardHolder(DWORD hold = INFINITE) : holdMs(hold) {
        thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
        WaitForSingleObject(held, INFINITE);
    }
    ~ClipboardHolder() {
        SetEvent(release);
        WaitForSingleObject(thread, INFINITE);
        for (HANDLE handle : {thread, held, release}) {
            CloseHandle(handle);
        }
    }
    static DWORD WINAPI run(void* parameter) {
        auto& self = *static_cast<ClipboardHolder*>(parameter);
        self.holding = OpenClipboard(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                     nullptr, nullptr, nullptr));
        SetEvent(self.held);
        WaitForSingleObject(self.release, self.holdMs);
        CloseClipboard();
        return 0; // the window goes with its thread
    }

    DWORD holdMs;
    bool holding = false;
    HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;
};

// Addresses with Chinese characters and their links, of the code page 936 bytes.
const Visible examples[] = {
    {u"http://例子.中国/下载/文件.zip",
     u"thunder://QUFodHRwOi8vwP3X0y7W0Ln6L8/C1NgvzsS8/i56aXBaWg==",
     u"flashget://W0ZMQVNIR0VUXWh0dHA6Ly/A/dfTLtbQufovz8LU2C/OxLz+LnppcFtGTEFTSEdFVF0=&velkaron777",
     u"qqdl://aHR0cDovL8D919Mu1tC5+i/PwtTYL87EvP4uemlw"},
    {u"ftp://镜像站/软件 v2.0 (简体中文).rar",
     u"thunder://QUFmdHA6Ly++tc/x1b4vyO28/iB2Mi4wICi88szl1tDOxCkucmFyWlo=",
     u"flashget://W0ZMQVNIR0VUXWZ0cDovL761z/HVvi/I7bz+IHYyLjAgKLzyzOXW0M7EKS5yYXJbRkxBU0hHRVRd"
     u"&velkaron777",
     u"qqdl://ZnRwOi8vvrXP8dW+L8jtvP4gdjIuMCAovPLM5dbQzsQpLnJhcg=="},
};

// The controls that take the focus, in the table's tab order.
std::vector<Control> focusOrder() {
    std::vector<Control> stops;
    std::ranges::copy_if(controls, std::back_inserter(stops), [](const Control& control) {
        return control.kind == ControlKind::TextField || control.kind == ControlKind::Button;
    });
    std::ranges::sort(stops, {}, &Control::tabIndex);
    return stops;
}

class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.create());
        ShowWindow(window.hwnd(), SW_SHOW);
        pump();
    }

    // Delivers the waiting messages as the program's message loop does.
    static void pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            dispatchMessage(message);
        }
    }

    HWND control(std::string_view name) const { return window.control(name); }
    std::u16string text(std::string_view name) const { return textOf(control(name)); }
    void click(std::string_view name) { SendMessageW(control(name), BM_CLICK, 0, 0); }
    void type(std::string_view name, const std::u16string& text) {
        SetWindowTextW(control(name), reinterpret_cast<const wchar_t*>(text.c_str()));
    }
    void typeAll(const Visible& texts) {
        for (std::size_t k = 0; k < 4; ++k) {
            type("Text" + std::to_string(k + 1), texts[k]);
        }
    }
    Visible visible() const { return {text("Text1"), text("Text2"), text("Text3"), text("Text4")}; }

    // A key pressed in the focused control, through the message loop.
    void press(WPARAM key, wchar_t character) {
        HWND focus = GetFocus();
        PostMessageW(focus, WM_KEYDOWN, key, 1);
        PostMessageW(focus, WM_CHAR, character, 1);
        PostMessageW(focus, WM_KEYUP, key, LPARAM(0xC0000001));
        pump();
    }

    Form1Window window;
};

TEST_F(WindowTest, OpensWithTheTableLaidOutAtTheScreensDpi) {
    EXPECT_EQ(textOf(window.hwnd()), windowCaption);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const auto pixels = [dpi](int twips) { return LONG(twipsToPixels(twips, dpi)); };

    RECT client;
    GetClientRect(window.hwnd(), &client);
    EXPECT_EQ(std::pair(client.right, client.bottom),
              std::pair(pixels(clientWidthTwips), pixels(clientHeightTwips)));
    for (const Control& entry : controls) {
        SCOPED_TRACE(entry.name);
        HWND child = control(entry.name);
        HWND parent = entry.parent == windowName ? window.hwnd() : control(entry.parent);
        EXPECT_EQ(GetParent(child), parent);
        EXPECT_EQ(text(entry.name), entry.caption);
        EXPECT_TRUE(IsWindowVisible(child));
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(std::tuple(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                  std::tuple(pixels(entry.left), pixels(entry.top), pixels(entry.width),
                             pixels(entry.height)));
    }
}

TEST_F(WindowTest, TabVisitsTheFieldsAndButtonsInTheTablesOrder) {
    const std::vector<Control> stops = focusOrder();
    SetFocus(window.hwnd()); // which passes the focus to the first
    for (std::size_t k = 0; k <= stops.size(); ++k) {
        EXPECT_EQ(GetFocus(), control(stops[k % stops.size()].name)) << k;
        press(VK_TAB, L'\t');
    }
}

TEST_F(WindowTest, EnterAndEscTriggerNothing) {
    const Visible typed = {examples[0][0], u"typed 2", u"typed 3", u"typed 4"};
    typeAll(typed);
    putOnClipboard(examples[0][3]);
    for (const Control& stop : focusOrder()) {
        SCOPED_TRACE(stop.name);
        SetFocus(control(stop.name));
        press(VK_RETURN, L'\r');
        press(VK_ESCAPE, L'\x1B');
        ASSERT_NE(window.hwnd(), nullptr);
        EXPECT_EQ(visible(), typed);
        EXPECT_EQ(clipboardText(), examples[0][3]);
    }
}

TEST_F(WindowTest, EveryCommandGivesTheLinksOfTheCodePage936Bytes) {
    // For Text1 - Text4: the paste and the copy button, and the one that takes it apart.
    const char* const buttons[4][3] = {{"Command1", "Command2", nullptr},
                                       {"Command3", "Command4", "Command9"},
                                       {"Command5", "Command6", "Command10"},
                                       {"Command7", "Command8", "Command11"}};
    for (const Visible& all : examples) {
        SCOPED_TRACE(testing::PrintToString(all[0]));
        typeAll({all[0], u"", u"", u""});
        click("Command12");
        EXPECT_EQ(visible(), all);
        for (std::size_t k = 0; k < 4; ++k) {
            SCOPED_TRACE(k);
            if (buttons[k][2]) {
                Visible link = {};
                link[k] = all[k];
                typeAll(link);
                click(buttons[k][2]);
                link[0] = all[0];
                EXPECT_EQ(visible(), link);
            }
            typeAll({});
            putOnClipboard(all[k]);
            click(buttons[k][0]);
            EXPECT_EQ(visible(), all);
            putOnClipboard(u"something else");
            click(buttons[k][1]);
            EXPECT_EQ(clipboardText(), all[k]);
        }
    }
}

TEST_F(WindowTest, PastingFromAnEmptyClipboardEmptiesTheField) {
    type("Text1", examples[0][0]);
    putOnClipboard(std::nullopt);
    click("Command3");
    EXPECT_EQ(visible(),
              (Visible{u"", u"thunder://QUFaWg==",
                       u"flashget://W0ZMQVNIR0VUXVtGTEFTSEdFVF0=&velkaron777", u"qqdl://"}));
}

TEST_F(WindowTest, ACommandRedrawsOnlyTheFieldsItWrote) {
    type("Text3", u"half typed");
    SendMessageW(control("Text3"), EM_SETSEL, 2, 6);
    type("Text2", examples[1][1]);
    click("Command9");
    EXPECT_EQ(text("Text1"), examples[1][0]);
    EXPECT_EQ(text("xl"), examples[1][0]); // the last text that passed through it
    EXPECT_EQ(text("Text3"), u"half typed");
    DWORD start = 0, end = 0;
    SendMessageW(control("Text3"), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(std::pair(start, end), std::pair(DWORD(2), DWORD(6)));
}

TEST_F(WindowTest, AHundredThousandCharacterAddressConvertsWhole) {
    std::u16string address = u"http://例子.中国/";
    while (address.size() < 100'000) {
        address += address.size() % 3 ? u"下载" : u"file-";
    }
    address.resize(100'000);
    const Class1 codec;
    const std::u16string thunder = u"thunder://" + codec.Base64Encode(u"AA" + address + u"ZZ");
    const std::u16string qqdl = u"qqdl://" + codec.Base64Encode(address);

    // Ctrl+V, which an edit limits to 30,000 characters unless told otherwise.
    putOnClipboard(address);
    SendMessageW(control("Text1"), WM_PASTE, 0, 0);
    click("Command12");
    EXPECT_EQ(text("Text2"), thunder);
    EXPECT_EQ(text("Text4"), qqdl);
    click("Command4");
    typeAll({});
    click("Command3");
    EXPECT_EQ(text("Text1"), address);
    EXPECT_EQ(text("Text4"), qqdl);
}

TEST_F(WindowTest, AClipboardHeldByAnotherWindowIsWaitedForAWhile) {
    putOnClipboard(examples[1][1]);
    type("Text1", examples[0][0]);
    click("Command12");
    {
        const ClipboardHolder holder; // throughout: every field stays as it was
        ASSERT_TRUE(holder.holding);
        for (const char* paste : {"Command1", "Command3", "Command5", "Command7"}) {
            click(paste);
            EXPECT_EQ(visible(), examples[0]) << paste;
        }
        click("Command2");
    }
    EXPECT_EQ(clipboardText(), examples[1][1]) << "a copy that could not be made";
    {
        const ClipboardHolder holder(10); // for a moment
        ASSERT_TRUE(holder.holding);
        click("Command3");
    }
    EXPECT_EQ(visible(), examples[1]);
}

// Under this suite's copy of the program's manifest.
TEST(VisualStyles, LoadVersion6OfTheCommonControls) {
    EXPECT_TRUE(InitVisualStyles());
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
    EXPECT_NE(std::wstring(_wcslwr(path))
                  .find(L"\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::wstring::npos)
        << testing::PrintToString(std::wstring(path));
}

} // namespace
} // namespace orvanthe
