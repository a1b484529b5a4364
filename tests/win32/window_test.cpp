// The real window driven with messages through its message loop, and the real clipboard, as
// a user would with keys and clicks, over the table of cases.
#include "cases.h"
#include "codec/class1.h"
#include "shell/control_table.h"
#include "shell/win32/form1_window.h"
#include "shell/win32/start_up.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <windows.h>

namespace orvanthe {
namespace {

using Visible = std::vector<std::u16string>; // Text1 - Text4
const Visible linksOfNothing = {u"", u"thunder://QUFaWg==",
                                u"flashget://W0ZMQVNIR0VUXVtGTEFTSEdFVF0=&velkaron777", u"qqdl://"};

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
    explicit ClipboardHolder(DWORD hold = INFINITE) : holdMs(hold) {
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
    HWND field(std::size_t k) const { return control("Text" + std::to_string(k + 1)); }
    // A left click in the middle of the button.
    void click(std::size_t command) {
        HWND button = control("Command" + std::to_string(command));
        RECT rect;
        GetClientRect(button, &rect);
        PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(rect.right / 2, rect.bottom / 2));
        PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(rect.right / 2, rect.bottom / 2));
        pump();
    }
    void type(const Visible& texts) {
        for (std::size_t k = 0; k < 4; ++k) {
            SetWindowTextW(field(k), reinterpret_cast<const wchar_t*>(texts[k].c_str()));
        }
    }
    Visible visible() const {
        return {textOf(field(0)), textOf(field(1)), textOf(field(2)), textOf(field(3))};
    }
    void press(WPARAM key, wchar_t character) {
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageW(GetFocus(), WM_CHAR, character, 1);
        PostMessageW(GetFocus(), WM_KEYUP, key, LPARAM(0xC0000001));
        pump();
    }

    Form1Window window;
    std::vector<Failure> failures;
};

// Tab goes round the fields and buttons in the table's order; Enter and Esc do nothing there.
TEST_F(WindowTest, TabFollowsTheTableAndEnterAndEscDoNothing) {
    std::vector<Control> stops;
    std::ranges::copy_if(controls, std::back_inserter(stops), [](const Control& control) {
        return control.kind == ControlKind::TextField || control.kind == ControlKind::Button;
    });
    std::ranges::sort(stops, {}, &Control::tabIndex);
    const Visible typed = {u"http://例子.中国/", u"2", u"3", u"4"};
    type(typed);
    putOnClipboard(u"qqdl://YQ==");
    SetFocus(window.hwnd()); // which passes the focus to the first
    for (std::size_t k = 0; k <= stops.size(); ++k) {
        ASSERT_EQ(GetFocus(), control(std::string(stops[k % stops.size()].name))) << k;
        press(VK_RETURN, L'\r');
        press(VK_ESCAPE, L'\x1B');
        ASSERT_NE(window.hwnd(), nullptr);
        EXPECT_EQ(visible(), typed);
        EXPECT_EQ(clipboardText(), u"qqdl://YQ==");
        press(VK_TAB, L'\t');
    }
}

// Each button clicked over each row: paste (<<<) and copy (>>>) beside each field, the links
// built from the address, each link taken apart; a command redraws only what it wrote (a
// selection elsewhere stays).
TEST_F(WindowTest, EveryButtonOverTheTable) {
    for (const auto& row : test::cases()) {
        SCOPED_TRACE(row.line);
        if (row.form() >= 0) {
            putOnClipboard(row.cells[0]);
            click(2 * std::size_t(row.form()) + 1);
            EXPECT_EQ(textOf(field(0)), row.cells[1]);
        }
        for (std::size_t k = 0; row.kind == "links" && k < 4; ++k) {
            type(Visible(4));
            putOnClipboard(row.cells[k]);
            click(2 * k + 1);
            EXPECT_EQ(visible(), row.cells);
            putOnClipboard(u"stale");
            click(2 * k + 2);
            EXPECT_EQ(clipboardText(), row.cells[k]);

            Visible expected = {u"t1", u"t2", u"t3", u"t4"};
            expected[k] = row.cells[k];
            type(expected);
            HWND kept = field(k == 0 ? 0 : k == 3 ? 2 : 3);
            SendMessageW(kept, EM_SETSEL, 1, 2);
            click(k == 0 ? 12 : 8 + k);
            expected = k == 0 ? row.cells : expected;
            expected[0] = row.cells[0];
            EXPECT_EQ(visible(), expected);
            DWORD start = 0, end = 0;
            SendMessageW(kept, EM_GETSEL, WPARAM(&start), LPARAM(&end));
            EXPECT_TRUE(textOf(kept).size() < 2 || std::pair(start, end) == std::pair(1ul, 2ul));
        }
    }
}

// A held clipboard is waited for a moment, and otherwise changes nothing (a copy says so);
// an empty one reads as empty text.
TEST_F(WindowTest, AClipboardThatCannotBeReadChangesNothing) {
    putOnClipboard(u"qqdl://YQ==");
    type({u"http://a.b/c.zip", u"", u"", u""});
    click(12);
    const Visible before = visible();
    {
        const ClipboardHolder holder;
        ASSERT_TRUE(holder.holding);
        for (std::size_t command = 1; command <= 8; ++command) {
            click(command);
            EXPECT_EQ(visible(), before) << command;
        }
    }
    EXPECT_EQ(clipboardText(), u"qqdl://YQ==") << "a copy that could not be made";
    EXPECT_EQ(failures, std::vector(4, Failure::Copy));
    {
        const ClipboardHolder holder(10);
        ASSERT_TRUE(holder.holding);
        click(7);
    }
    EXPECT_EQ(textOf(field(0)), u"a");
    putOnClipboard(std::nullopt);
    click(3);
    EXPECT_EQ(visible(), linksOfNothing);
}

// A mebibyte through Ctrl+V, which an edit limits to 30,000 characters unless told
// otherwise, then through every link and back.
TEST_F(WindowTest, AMebibyteConvertsWhole) {
    std::u16string address = u"http://例子.中国/";
    while (address.size() < (1u << 19)) {
        address += address.size() % 3 ? u"下载" : u"file-";
    }
    putOnClipboard(address);
    SendMessageW(field(0), WM_PASTE, 0, 0);
    click(12);
    const Visible links = visible();
    EXPECT_EQ(links[0], address);
    for (std::size_t k = 1; k < 4; ++k) {
        click(2 * k + 2);
        type(Visible(4));
        click(2 * k + 1);
        EXPECT_EQ(visible(), links);
    }
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

// A paste of megabytes converts, or fails and changes nothing. One paste of 4 MiB on the
// clipboard: Wine's edits take seconds to lay out each megabyte they are given.
TEST_F(WindowTest, AHugePasteConvertsOrChangesNothing) {
    std::u16string address = u"http://例子.中国/";
    while (address.size() < (std::size_t(3) << 19)) {
        address += u"0123456789abcdef";
    }
    const Class1 codec;
    const Visible all = {address, u"thunder://" + codec.Base64Encode(u"AA" + address + u"ZZ"),
                         u"flashget://" +
                             codec.Base64Encode(u"[FLASHGET]" + address + u"[FLASHGET]") +
                             u"&velkaron777",
                         u"qqdl://" + codec.Base64Encode(address)};
    putOnClipboard(all[1]);
    click(3);
    for (std::size_t k = 0; k < 4; ++k) {
        // Never printed: megabytes.
        EXPECT_TRUE(textOf(field(k)) == (failures.empty() ? all[k] : u"")) << k;
    }
}

} // namespace
} // namespace orvanthe
