// Drives the real window with messages and the real clipboard, as a user would with keys
// and clicks.
#include "codec/class1.h"
#include "shell/control_table.h"
#include "shell/win32/form1_window.h"
#include "shell/win32/start_up.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>
#include <windows.h>

namespace orvanthe {
namespace {

using namespace std::string_literals;

const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string textOf(HWND window) {
    std::u16string text(std::size_t(GetWindowTextLengthW(window)), u'\0');
    text.resize(std::size_t(
        GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), int(text.size() + 1))));
    return text;
}

// The clipboard as another program sees it.
std::optional<std::u16string> clipboardText() {
    if (!OpenClipboard(nullptr)) {
        return std::nullopt;
    }
    std::optional<std::u16string> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text.emplace(static_cast<const char16_t*>(GlobalLock(data)));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void putOnClipboard(std::u16string_view text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    auto* units = static_cast<char16_t*>(GlobalLock(data));
    *std::copy(text.begin(), text.end(), units) = u'\0';
    GlobalUnlock(data);
    EXPECT_TRUE(SetClipboardData(CF_UNICODETEXT, data));
    CloseClipboard();
}

void emptyClipboard() {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
}

// Another window on another thread that opens the clipboard and keeps it open until
// released, or for `holdMs` milliseconds.
class ClipboardHolder {
public:
    explicit ClipboardHolder(DWORD holdMs = INFINITE) : holdMs_(holdMs) {
        thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
        WaitForSingleObject(held_, INFINITE);
    }
    ~ClipboardHolder() {
        SetEvent(release_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(held_);
        CloseHandle(release_);
    }
    bool holding() const { return holding_; }

private:
    static DWORD WINAPI run(void* parameter) {
        auto& self = *static_cast<ClipboardHolder*>(parameter);
        HWND window = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      nullptr, nullptr);
        self.holding_ = OpenClipboard(window);
        SetEvent(self.held_);
        WaitForSingleObject(self.release_, self.holdMs_);
        CloseClipboard();
        DestroyWindow(window);
        return 0;
    }

    DWORD holdMs_;
    bool holding_ = false;
    HANDLE held_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread_ = nullptr;
};

// An address with Chinese characters and its three links in code page 936.
struct Example {
    std::u16string address, thunder, flashget, qqdl;
};

const Example examples[] = {
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

// The controls of one visible field: its edit, its paste and copy buttons, and the button
// that takes its link apart (none for the http address).
struct Row {
    const char* edit;
    const char* paste;
    const char* copy;
    const char* toHttp;
};

constexpr std::array<Row, 4> rows = {{
    {"Text1", "Command1", "Command2", nullptr},
    {"Text2", "Command3", "Command4", "Command9"},
    {"Text3", "Command5", "Command6", "Command10"},
    {"Text4", "Command7", "Command8", "Command11"},
}};

using Visible = std::array<std::u16string, 4>;

class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.create());
        ShowWindow(window.hwnd(), SW_SHOW);
        pump();
    }

    // Closing the window destroys it and ends the program's message loop.
    void TearDown() override {
        SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
        EXPECT_EQ(window.hwnd(), nullptr);
        MSG message;
        EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    }

    // Delivers the waiting messages as the program's message loop does.
    static void pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            dispatchMessage(message);
        }
    }

    HWND control(std::string_view name) const {
        HWND handle = window.control(name);
        EXPECT_NE(handle, nullptr) << name;
        return handle;
    }
    std::u16string text(std::string_view name) const { return textOf(control(name)); }
    void type(std::string_view name, const std::u16string& text) {
        SetWindowTextW(control(name), wide(text));
    }
    void click(std::string_view name) { SendMessageW(control(name), BM_CLICK, 0, 0); }
    void clearAll() {
        for (const Row& row : rows) {
            type(row.edit, u"");
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
    const auto pixels = [dpi](int twips) { return twipsToPixels(twips, dpi); };

    RECT client;
    GetClientRect(window.hwnd(), &client);
    EXPECT_EQ(client.right, pixels(clientWidthTwips));
    EXPECT_EQ(client.bottom, pixels(clientHeightTwips));

    for (const Control& entry : controls) {
        SCOPED_TRACE(entry.name);
        HWND child = control(entry.name);
        HWND parent = entry.parent == windowName ? window.hwnd() : control(entry.parent);
        EXPECT_EQ(GetParent(child), parent);
        EXPECT_EQ(text(entry.name), entry.caption);
        EXPECT_TRUE(IsWindowVisible(child));
        EXPECT_TRUE(IsWindowEnabled(child));
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, pixels(entry.left));
        EXPECT_EQ(rect.top, pixels(entry.top));
        EXPECT_EQ(rect.right - rect.left, pixels(entry.width));
        EXPECT_EQ(rect.bottom - rect.top, pixels(entry.height));
        // The work fields lie wholly below the client area, out of sight.
        if (entry.field && *entry.field >= FieldId::xl) {
            EXPECT_GE(rect.top, client.bottom);
        }
    }
}

TEST_F(WindowTest, TabVisitsTheFieldsAndButtonsInTheTablesOrder) {
    std::vector<const Control*> stops;
    for (const Control& entry : controls) {
        if (entry.kind == ControlKind::TextField || entry.kind == ControlKind::Button) {
            stops.push_back(&entry);
        }
    }
    std::sort(stops.begin(), stops.end(),
              [](const Control* a, const Control* b) { return a->tabIndex < b->tabIndex; });
    ASSERT_EQ(stops.size(), 19u);

    // The window gives the focus to the first of them.
    SetFocus(window.hwnd());
    for (const Control* stop : stops) {
        EXPECT_EQ(GetFocus(), control(stop->name)) << "expected " << stop->name;
        press(VK_TAB, L'\t');
    }
    EXPECT_EQ(GetFocus(), control(stops.front()->name)) << "round to the first";
}

TEST_F(WindowTest, EnterAndEscTriggerNothing) {
    const Example& example = examples[0];
    const Visible typed = {example.address, u"typed 2", u"typed 3", u"typed 4"};
    for (std::size_t k = 0; k < rows.size(); ++k) {
        type(rows[k].edit, typed[k]);
    }
    putOnClipboard(example.qqdl);

    for (const Control& entry : controls) {
        if (entry.kind != ControlKind::TextField && entry.kind != ControlKind::Button) {
            continue;
        }
        SCOPED_TRACE(entry.name);
        SetFocus(control(entry.name));
        press(VK_RETURN, L'\r');
        press(VK_ESCAPE, L'\x1B');
        EXPECT_EQ(visible(), typed);
        EXPECT_EQ(clipboardText(), example.qqdl);
        ASSERT_NE(window.hwnd(), nullptr);
    }
}

TEST_F(WindowTest, EveryCommandGivesTheLinksOfTheCodePage936Bytes) {
    for (const Example& example : examples) {
        SCOPED_TRACE(testing::PrintToString(example.address));
        const Visible all = {example.address, example.thunder, example.flashget, example.qqdl};

        clearAll();
        type("Text1", example.address);
        click("Command12");
        EXPECT_EQ(visible(), all);

        for (std::size_t k = 0; k < rows.size(); ++k) {
            const Row& row = rows[k];
            SCOPED_TRACE(row.edit);
            if (row.toHttp) {
                clearAll();
                type(row.edit, all[k]);
                click(row.toHttp);
                EXPECT_EQ(visible(), (Visible{example.address, k == 1 ? all[1] : u"",
                                              k == 2 ? all[2] : u"", k == 3 ? all[3] : u""}));
            }

            clearAll();
            putOnClipboard(all[k]);
            click(row.paste);
            EXPECT_EQ(visible(), all);

            putOnClipboard(u"something else");
            click(row.copy);
            EXPECT_EQ(clipboardText(), all[k]);
        }
    }
}

TEST_F(WindowTest, PastingFromAnEmptyClipboardEmptiesTheField) {
    type("Text1", examples[0].address);
    emptyClipboard();
    click("Command3");
    EXPECT_EQ(visible(),
              (Visible{u"", u"thunder://QUFaWg==",
                       u"flashget://W0ZMQVNIR0VUXVtGTEFTSEdFVF0=&velkaron777", u"qqdl://"}));
}

TEST_F(WindowTest, ACommandRedrawsOnlyTheFieldsItWrote) {
    const Example& example = examples[1];
    type("Text3", u"half typed");
    SendMessageW(control("Text3"), EM_SETSEL, 2, 6);
    type("Text2", example.thunder);
    click("Command9");

    EXPECT_EQ(text("Text1"), example.address);
    // The thunder work field shows the last text that passed through it.
    EXPECT_EQ(text("xl"), example.address);
    EXPECT_EQ(text("kc"), u"kc");
    EXPECT_EQ(text("Text3"), u"half typed");
    DWORD start = 0, end = 0;
    SendMessageW(control("Text3"), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 6u);
}

TEST_F(WindowTest, AHundredThousandCharacterAddressConvertsWhole) {
    std::u16string address = u"http://例子.中国/";
    for (int k = 0; address.size() < 100'000; ++k) {
        address += k % 3 == 0 ? u"下载" : u"file-";
    }
    address.resize(100'000);
    const Class1 codec;
    const std::u16string thunder = u"thunder://" + codec.Base64Encode(u"AA" + address + u"ZZ");
    const std::u16string qqdl = u"qqdl://" + codec.Base64Encode(address);

    // Pasted into the field with Ctrl+V, which an edit limits to 30,000 characters unless
    // told otherwise.
    const auto start = std::chrono::steady_clock::now();
    putOnClipboard(address);
    SendMessageW(control("Text1"), WM_PASTE, 0, 0);
    click("Command12");
    EXPECT_EQ(text("Text2"), thunder);
    EXPECT_EQ(text("Text4"), qqdl);
    click("Command4");
    clearAll();
    click("Command3");
    EXPECT_EQ(text("Text1"), address);
    EXPECT_EQ(text("Text4"), qqdl);
    std::printf("100,000 characters: pasted, built, copied, pasted and taken apart in %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - start)
                                           .count()));
}

TEST_F(WindowTest, AClipboardHeldByAnotherWindowLeavesEveryFieldAsItWas) {
    putOnClipboard(examples[1].thunder);
    type("Text1", examples[0].address);
    click("Command12");
    const Visible before = visible();
    {
        const ClipboardHolder holder;
        ASSERT_TRUE(holder.holding());
        for (const Row& row : rows) {
            click(row.paste);
            EXPECT_EQ(visible(), before) << row.paste;
        }
        click("Command2");
    }
    EXPECT_EQ(clipboardText(), examples[1].thunder) << "a copy that could not be made";
}

TEST_F(WindowTest, AClipboardHeldForAMomentIsWaitedFor) {
    putOnClipboard(examples[1].thunder);
    {
        const ClipboardHolder holder(10);
        ASSERT_TRUE(holder.holding());
        click("Command3");
    }
    EXPECT_EQ(text("Text1"), examples[1].address);
}

TEST(VisualStyles, LoadVersion6OfTheCommonControls) {
    EXPECT_TRUE(InitVisualStyles());
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
    std::wstring library(path);
    std::transform(library.begin(), library.end(), library.begin(), towlower);
    EXPECT_NE(library.find(L"\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::wstring::npos)
        << "loaded from " << testing::PrintToString(library);
}

} // namespace
} // namespace orvanthe
