// The Qt window as the user meets it: real clicks and keys, the real clipboard (Qt's own
// under the offscreen platform).
#include "cases.h"
#include "shell/control_table.h"
#include "shell/qt/form1_window.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace orvanthe::test {

QString qs(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        clipboard()->clear();
        window->show();
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
    // An image holds no text.
    static void putOnClipboard(std::optional<std::u16string_view> text) {
        text ? clipboard()->setText(qs(*text))
             : clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
    }
    static std::u16string clipboardText() { return clipboard()->text().toStdU16String(); }
    // A clipboard with no data at all: its owner does not answer.
    static int holdClipboard() {
        clipboard()->clear();
        return 0;
    }

    std::unique_ptr<Form1Window> window = std::make_unique<Form1Window>();
};

// Each control tells its tooltip and a screen reader what it does.
TEST_F(WindowTest, ControlsSayWhatTheyDo) {
    for (const auto& [name, help] : controlHelp) {
        EXPECT_EQ(control(name)->toolTip(), qs(help));
        EXPECT_EQ(QAccessible::queryAccessibleInterface(control(name))->text(QAccessible::Name),
                  qs(help));
    }
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
