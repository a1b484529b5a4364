#pragma once

// What both windows must do, as a user meets them. Each window's suite defines before this a
// fixture WindowTest that drives its window with real clicks and keys: click(n) on CommandN,
// type() and visible() for Text1 - Text4, placeCaret(k, at) and caret(k) in field k (0 for
// Text1), focusFirst(), focused() (a control's name), press() of u'\t', u'\r' or u'\x1B',
// pasteKeys(k) (Ctrl+V), putOnClipboard() (nothing: no text), clipboardText(), and
// holdClipboard() (unreadable while the object it gives lives).
#include "cases.h"
#include "shell/control_table.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace orvanthe::test {

// The window opens with the focus on its first control. Tab goes round the fields and
// buttons in the table's order; Enter and Esc do nothing there.
TEST_F(WindowTest, TabFollowsTheTableAndEnterAndEscDoNothing) {
    std::vector<Control> stops;
    std::ranges::copy_if(controls, std::back_inserter(stops), [](const Control& control) {
        return control.kind == ControlKind::TextField || control.kind == ControlKind::Button;
    });
    std::ranges::sort(stops, {}, &Control::tabIndex);
    ASSERT_EQ(focused(), stops[0].name);
    const Visible typed = {u"http://例子.中国/", u"2", u"3", u"4"};
    type(typed);
    putOnClipboard(u"qqdl://YQ==");
    focusFirst();
    for (std::size_t k = 0; k <= stops.size(); ++k) {
        ASSERT_EQ(focused(), stops[k % stops.size()].name) << k;
        press(u'\r');
        press(u'\x1B');
        EXPECT_EQ(visible(), typed);
        EXPECT_EQ(clipboardText(), u"qqdl://YQ==");
        press(u'\t');
    }
}

// Each input pasted (<<<) into its field and copied (>>>) from it, then typed there and
// converted. A field a command did not write keeps its caret; one it wrote shows its beginning.
TEST_F(WindowTest, EveryButtonOverTheTable) {
    for (const auto& [k, input, expected, line] : inputs()) {
        SCOPED_TRACE(line);
        type({u"t1", u"t2", u"t3", u""});
        putOnClipboard(input);
        click(2 * int(k) + 1);
        Visible now = visible();
        now.resize(expected.size());
        EXPECT_EQ(now, expected);
        putOnClipboard(u"stale");
        click(2 * int(k) + 2);
        EXPECT_EQ(clipboardText(), visible()[k]);
        if (expected.size() < 4 || input != expected[k]) {
            continue;
        }
        Visible typed = {u"t1", u"t2", u"t3", u"t4"};
        typed[k] = input;
        type(typed);
        for (int n = 0; n < 4; ++n) {
            placeCaret(n, 1);
        }
        click(k == 0 ? 12 : 8 + int(k));
        for (std::size_t n = 0; n < 4; ++n) {
            const bool written = n != k && (n == 0 || k == 0);
            EXPECT_EQ(visible()[n], (written ? expected : typed)[n]);
            EXPECT_EQ(caret(int(n)), written || typed[n].empty() ? 0 : 1) << n;
        }
    }
}

// An unreadable clipboard changes nothing; one without text pastes as empty text.
TEST_F(WindowTest, AClipboardThatCannotBeReadChangesNothing) {
    type({u"http://a.b/c.zip", u"2", u"3", u"4"});
    const Visible before = visible();
    {
        [[maybe_unused]] const auto held = holdClipboard();
        for (int command = 1; command <= 7; command += 2) {
            click(command);
            EXPECT_EQ(visible(), before) << command;
        }
    }
    putOnClipboard(std::nullopt);
    click(3);
    EXPECT_EQ(visible(),
              (Visible{u"", u"thunder://QUFaWg==",
                       u"flashget://W0ZMQVNIR0VUXVtGTEFTSEdFVF0=&velkaron777", u"qqdl://"}));
}

// Twice what an edit takes by default, pasted with Ctrl+V, then through every link and back.
TEST_F(WindowTest, TextPastTheEditLimitConvertsWhole) {
    std::u16string address = u"http://例子.中国/";
    while (address.size() < 60000) {
        address += address.size() % 3 ? u"下载" : u"file-";
    }
    putOnClipboard(address);
    type(Visible(4));
    pasteKeys(0);
    click(12);
    const Visible links = visible();
    EXPECT_EQ(links[0], address);
    for (int k = 1; k < 4; ++k) {
        click(2 * k + 2);
        type(Visible(4));
        click(2 * k + 1);
        EXPECT_EQ(visible(), links);
    }
}

} // namespace orvanthe::test
