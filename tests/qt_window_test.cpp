// The Qt window as the user meets it: real clicks and keys, the real X clipboard.
#include "cases.h"
#include "shell/control_table.h"
#include "shell/qt/form1_window.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <xcb/xcb.h>

namespace orvanthe::test {

QString qs(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

// Another program that owns the clipboard and never answers a request for it, until it goes.
struct ClipboardHolder {
    ClipboardHolder() {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        const xcb_window_t window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, 0, nullptr);
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, 9, "CLIPBOARD"), nullptr);
        xcb_set_selection_owner(connection, window, atom->atom, XCB_CURRENT_TIME);
        std::free(xcb_get_selection_owner_reply( // once the server has made it the owner
            connection, xcb_get_selection_owner(connection, atom->atom), nullptr));
        std::free(atom);
    }
    ~ClipboardHolder() { xcb_disconnect(connection); }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
};

class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        clipboard()->clear();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow(); // with no window manager to do it
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QWidget* control(std::string_view name) const {
        auto* widget = window->findChild<QWidget*>(QString::fromLatin1(name));
        return widget ? widget : (qFatal("no control %s", name.data()), nullptr);
    }
    static QClipboard* clipboard() { return QGuiApplication::clipboard(); }
    QLineEdit* field(int k) const {
        return static_cast<QLineEdit*>(control("Text" + std::to_string(k + 1)));
    }
    void click(int command) const {
        QTest::mouseClick(control("Command" + std::to_string(command)), Qt::LeftButton);
    }
    Visible visible() const {
        return {field(0)->text().toStdU16String(), field(1)->text().toStdU16String(),
                field(2)->text().toStdU16String(), field(3)->text().toStdU16String()};
    }
    // With real keys: all selected and deleted, then the text typed.
    void type(const Visible& texts) const {
        for (int k = 0; k < 4; ++k) {
            field(k)->setFocus();
            QTest::keyClick(field(k), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(field(k), Qt::Key_Backspace);
            QTest::sendKeyEvent(QTest::Click, field(k), Qt::Key_unknown, qs(texts[std::size_t(k)]),
                                Qt::NoModifier);
        }
    }
    void placeCaret(int k, int at) const { field(k)->setCursorPosition(at); }
    int caret(int k) const { return int(field(k)->cursorPosition()); }
    void focusFirst() const { field(0)->setFocus(); }
    std::string focused() const { return QApplication::focusWidget()->objectName().toStdString(); }
    void press(char16_t key) const {
        QTest::keyClick(QApplication::focusWidget(), key == u'\t'   ? Qt::Key_Tab
                                                     : key == u'\r' ? Qt::Key_Return
                                                                    : Qt::Key_Escape);
    }
    void pasteKeys(int k) const { QTest::keyClick(field(k), Qt::Key_V, Qt::ControlModifier); }
    // Without text, nobody owns the clipboard, as in a fresh session.
    static void putOnClipboard(std::optional<std::u16string_view> text) {
        text ? clipboard()->setText(qs(*text)) : clipboard()->clear();
    }
    static std::u16string clipboardText() { return clipboard()->text().toStdU16String(); }
    static auto holdClipboard() { return std::make_unique<ClipboardHolder>(); }

    std::unique_ptr<Form1Window> window = std::make_unique<Form1Window>();
};

// Each field and button tells its tooltip and a screen reader what it does (the thunder row's
// paste button, say, "粘贴迅雷链接并转换").
TEST_F(WindowTest, ControlsSayWhatTheyDo) {
    for (const Control& entry : controls) {
        if (entry.kind == ControlKind::TextField || entry.kind == ControlKind::Button) {
            const QString tip = control(entry.name)->toolTip();
            EXPECT_FALSE(tip.isEmpty()) << entry.name;
            EXPECT_EQ(
                QAccessible::queryAccessibleInterface(control(entry.name))->text(QAccessible::Name),
                tip);
        }
    }
    EXPECT_EQ(control("Command3")->toolTip(), QStringLiteral("粘贴迅雷链接并转换"));
}

// The labels reach over the left ends of some fields: a click there lands in the field.
TEST_F(WindowTest, AClickAtTheLeftEndOfAFieldLandsInIt) {
    type({u"t1", u"t2", u"t3", u"t4"});
    for (int k = 0; k < 4; ++k) {
        control("Command12")->setFocus();
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                          field(k)->mapTo(window.get(), QPoint(2, field(k)->height() / 2)));
        EXPECT_TRUE(field(k)->hasFocus() && caret(k) == 0) << k;
    }
}

} // namespace orvanthe::test

#include "window_suite.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
