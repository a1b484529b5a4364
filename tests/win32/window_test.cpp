// The real window driven with messages, and the real clipboard, as a user would with keys
// and clicks, over the table of cases.
#include "cases.h"
#include "shell/control_table.h"
#include "shell/win32/form1_window.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <windows.h>

namespace orvanthe {
namespace {

using Visible = std::vector<std::u16string>; // Text1 - Text4

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

// Another thread's window holding the clipboard open for `holdMs` milliseconds, or until the
// holder goes.
struct ClipboardHolder {
    explicit ClipboardHolder(DWORD holdMs = INFINITE) : holdMs(holdMs) {
        WaitForSingleObject(held, INFINITE);
    }
    ~ClipboardHolder() {
        SetEvent(release);
        WaitForSingleObject(thread, INFINITE);
    }
    static DWORD WINAPI run(void* self) {
        auto& holder = *static_cast<ClipboardHolder*>(self);
        holder.holding = OpenClipboard(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0,
                                                       HWND_MESSAGE, nullptr, nullptr, nullptr));
        SetEvent(holder.held);
        WaitForSingleObject(holder.release, holder.holdMs);
        CloseClipboard();
        return 0; // the window goes with its thread
    }
    DWORD holdMs;
    bool holding = false;
    HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
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

std::string name(const char* kind, int number) {
    return kind + std::to_string(number);
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
    // A left click in the middle of the button, through the message loop.
    void click(int command) {
        HWND button = control(name("Command", command));
        RECT rect;
        GetClientRect(button, &rect);
        const LPARAM middle = MAKELPARAM(rect.right / 2, rect.bottom / 2);
        PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, middle);
        PostMessageW(button, WM_LBUTTONUP, 0, middle);
        pump();
    }
    void typeAll(const Visible& texts) {
        for (int k = 0; k < 4; ++k) {
            SetWindowTextW(control(name("Text", k + 1)),
                           reinterpret_cast<const wchar_t*>(texts[std::size_t(k)].c_str()));
        }
    }
    Visible visible() const { return {text("Text1"), text("Text2"), text("Text3"), text("Text4")}; }

    // A key pressed in the focused control, through the message loop.
    void press(WPARAM key, wchar_t character) {
        HWND focus = GetFocus();
        PostMessageW(focus, WM_KEYDOWN, key, 1);
        PostMessageW(focus, WM_CHAR, character, 1);
        PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
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
    const Visible typed = {u"http://例子.中国/", u"typed 2", u"typed 3", u"typed 4"};
    typeAll(typed);
    putOnClipboard(u"qqdl://YQ==");
    for (const Control& stop : focusOrder()) {
        SCOPED_TRACE(stop.name);
        SetFocus(control(stop.name));
        press(VK_RETURN, L'\r');
        press(VK_ESCAPE, L'\x1B');
        ASSERT_NE(window.hwnd(), nullptr);
        EXPECT_EQ(visible(), typed);
        EXPECT_EQ(clipboardText(), u"qqdl://YQ==");
    }
}

// Each button clicked over each row: paste (<<<) and copy (>>>) beside each field, the links
// built from the address, each link taken apart; a command redraws only what it wrote.
TEST_F(WindowTest, EveryButtonOverTheTable) {
    for (const auto& row : test::cases()) {
        SCOPED_TRACE(row.line);
        if (row.form() >= 0) {
            putOnClipboard(row.cells[0]);
            click(2 * row.form() + 1);
            EXPECT_EQ(text("Text1"), row.cells[1]);
        }
        for (int k = 0; row.kind == "links" && k < 4; ++k) {
            typeAll({u"", u"", u"", u""});
            putOnClipboard(row.cells[std::size_t(k)]);
            click(2 * k + 1);
            EXPECT_EQ(visible(), row.cells);
            putOnClipboard(u"stale");
            click(2 * k + 2);
            EXPECT_EQ(clipboardText(), row.cells[std::size_t(k)]);

            Visible typed = {u"t1", u"t2", u"t3", u"t4"};
            typed[std::size_t(k)] = row.cells[std::size_t(k)];
            typeAll(typed);
            HWND kept = control(name("Text", k == 0 ? 1 : k == 3 ? 3 : 4));
            SendMessageW(kept, EM_SETSEL, 1, 2);
            click(k == 0 ? 12 : 8 + k);
            Visible expected = k == 0 ? row.cells : typed;
            expected[0] = row.cells[0];
            EXPECT_EQ(visible(), expected);
            DWORD start = 0, end = 0;
            SendMessageW(kept, EM_GETSEL, WPARAM(&start), LPARAM(&end));
            EXPECT_TRUE(textOf(kept).size() < 2 || std::pair(start, end) == std::pair(1ul, 2ul));
        }
    }
}

// A mebibyte through Ctrl+V, which an edit limits to 30,000 characters unless told otherwise,
// and through every link and back.
TEST_F(WindowTest, AMebibyteConvertsWhole) {
    std::u16string address = u"http://例子.中国/";
    while (address.size() < (1u << 19)) {
        address += address.size() % 3 ? u"下载" : u"file-";
    }
    putOnClipboard(address);
    SetFocus(control("Text1"));
    SendMessageW(control("Text1"), WM_PASTE, 0, 0);
    click(12);
    const Visible links = visible();
    EXPECT_EQ(links[0], address);
    for (int k = 1; k < 4; ++k) {
        click(2 * k + 2);
        typeAll({u"", u"", u"", u""});
        click(2 * k + 1);
        EXPECT_EQ(visible(), links);
    }
}

TEST_F(WindowTest, AClipboardHeldIsWaitedForAWhileAndAnEmptyOneReadsAsEmpty) {
    putOnClipboard(u"qqdl://YQ==");
    typeAll({u"http://a.b/c.zip", u"", u"", u""});
    click(12);
    const Visible before = visible();
    {
        const ClipboardHolder holder; // throughout: every field stays as it was
        ASSERT_TRUE(holder.holding);
        for (int paste = 1; paste < 8; paste += 2) {
            click(paste);
            EXPECT_EQ(visible(), before) << paste;
        }
        click(2);
    }
    EXPECT_EQ(clipboardText(), u"qqdl://YQ==") << "a copy that could not be made";
    {
        const ClipboardHolder holder(10); // for a moment
        ASSERT_TRUE(holder.holding);
        click(7);
    }
    EXPECT_EQ(text("Text1"), u"a");
    putOnClipboard(std::nullopt); // an empty clipboard is read as empty text
    click(3);
    EXPECT_EQ(visible(),
              (Visible{u"", u"thunder://QUFaWg==",
                       u"flashget://W0ZMQVNIR0VUXVtGTEFTSEdFVF0=&velkaron777", u"qqdl://"}));
}

} // namespace
} // namespace orvanthe
