// The Qt window as the user meets it: real clicks and keys, the real clipboard (Qt's own
// under the offscreen platform), driven over the table of cases.
#include "cases.h"
#include "shell/control_table.h"
#include "shell/qt/form1_window.h"
#include "shell/qt/start_up.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <memory>

namespace orvanthe {
namespace {

QString qs(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

QString qs(std::string_view name) {
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

QStringList qs(const std::vector<std::u16string>& texts) {
    QStringList list;
    std::ranges::transform(texts, std::back_inserter(list),
                           [](const auto& text) { return qs(text); });
    return list;
}

// The controls that take the focus, in the table's tab order.
std::vector<Control> focusOrder() {
    std::vector<Control> order;
    std::ranges::copy_if(controls, std::back_inserter(order), [](const Control& control) {
        return control.kind == ControlKind::TextField || control.kind == ControlKind::Button;
    });
    std::ranges::sort(order, {}, &Control::tabIndex);
    return order;
}

} // namespace

class Form1WindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1Window> window;

    QWidget* control(const QString& name) const {
        auto* widget = window->findChild<QWidget*>(name);
        return widget ? widget : (qFatal("no control %s", qPrintable(name)), nullptr);
    }
    static QClipboard* clipboard() { return QGuiApplication::clipboard(); }
    QLineEdit* field(int k) const {
        return static_cast<QLineEdit*>(control(QStringLiteral("Text%1").arg(k + 1)));
    }
    void click(int command) const {
        QTest::mouseClick(control(QStringLiteral("Command%1").arg(command)), Qt::LeftButton);
    }
    QStringList shown() const {
        return {field(0)->text(), field(1)->text(), field(2)->text(), field(3)->text()};
    }
    // Types `texts` over Text1 - Text4 with real keys, the caret left at the end.
    void type(const QStringList& texts) const {
        for (int k = 0; k < 4; ++k) {
            field(k)->setFocus();
            QTest::keyClick(field(k), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(field(k), Qt::Key_Backspace);
            QTest::sendKeyEvent(QTest::Click, field(k), Qt::Key_unknown, texts[k], Qt::NoModifier);
        }
    }

private slots:
    void init() {
        clipboard()->clear();
        window = std::make_unique<Form1Window>();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void cleanup() { window.reset(); }

    // Tab from the first control, which has the focus as the window opens, round to it again;
    // each tells its tooltip and a screen reader what it does, and there Enter and Esc do nothing.
    void tabVisitsEveryControlInTableOrderAndEnterAndEscapeDoNothing() {
        const std::vector<Control> order = focusOrder();
        QCOMPARE(QApplication::focusWidget()->objectName(), qs(order[0].name));
        const QStringList typed = {"http://a.b/", "2", "3", "4"};
        type(typed);
        clipboard()->setText("qqdl://YQ==");
        field(0)->setFocus();
        for (std::size_t k = 0; k <= order.size(); ++k) {
            QWidget* focus = QApplication::focusWidget();
            QCOMPARE(focus->objectName(), qs(order[k % order.size()].name));
            QCOMPARE(focus->toolTip(), qs(helpOf(order[k % order.size()].name)));
            QCOMPARE(QAccessible::queryAccessibleInterface(focus)->text(QAccessible::Name),
                     focus->toolTip());
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                QTest::keyClick(focus, key);
                QVERIFY(window->isVisible() && shown() == typed &&
                        clipboard()->text() == "qqdl://YQ==");
            }
            QTest::keyClick(focus, Qt::Key_Tab);
        }
    }

    // Each button clicked over each row: paste (<<<) and copy (>>>) beside each field, the
    // links built from the address, each link taken apart. A field a command did not write
    // keeps the caret where typing left it; one it wrote shows its beginning.
    void everyButtonOverTheTable() {
        for (const auto& row : test::cases()) {
            if (row.form() >= 0) {
                clipboard()->setText(qs(row.cells[0]));
                click(2 * row.form() + 1);
                QVERIFY2(field(0)->text() == qs(row.cells[1]),
                         qPrintable(QString::number(row.line)));
                QVERIFY2(row.cells.size() < 3 || shown() == qs(row.cells).mid(1, 4),
                         qPrintable(QString::number(row.line)));
            }
            const QStringList all = row.kind == "links" ? qs(row.cells) : QStringList();
            for (int k = 0; k < all.size(); ++k) {
                type({"t1", "t2", "t3", ""});
                clipboard()->setText(all[k]);
                click(2 * k + 1);
                QCOMPARE(shown(), all);
                clipboard()->setText("stale");
                click(2 * k + 2);
                QCOMPARE(clipboard()->text(), all[k]);
                QStringList typed = {"t1", "t2", "t3", "t4"};
                typed[k] = all[k];
                type(typed);
                click(k == 0 ? 12 : 8 + k);
                for (int n = 0; n < 4; ++n) {
                    const bool written = n != k && (n == 0 || k == 0);
                    QCOMPARE(field(n)->text(), written ? all[n] : typed[n]);
                    QCOMPARE(field(n)->cursorPosition(), written ? 0 : typed[n].size());
                }
            }
        }
    }

    // No data at all on the clipboard (its owner does not answer) changes nothing; an image,
    // which holds no text, pastes as empty.
    void aClipboardWithoutDataChangesNothingAndAnImagePastesAsEmptyText() {
        const QStringList typed = {"http://a.b/", "2", "3", "4"};
        type(typed);
        clipboard()->clear();
        click(3);
        QCOMPARE(shown(), typed);
        clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
        click(1);
        QCOMPARE(shown(),
                 (QStringList{"", "thunder://QUFaWg==",
                              "flashget://W0ZMQVNIR0VUXVtGTEFTSEdFVF0=&velkaron777", "qqdl://"}));
    }

    // The window as the command line opens it: any form of a row fills in all four, whatever
    // follows it; an option among the arguments opens none. Nothing goes to the clipboard.
    void commandLineFillsTheWindow() {
        for (const auto& row : test::cases()) {
            const QStringList all = row.kind == "links" ? qs(row.cells) : QStringList();
            for (const QString& text : all) {
                for (const QStringList& after : {QStringList{}, QStringList{"--register", ""}}) {
                    window = openForm1(QStringList{"orvanthe", text} + after);
                    QCOMPARE(shown(), all);
                }
            }
        }
        window = openForm1({"orvanthe"});
        QCOMPARE(shown(), QStringList({"", "", "", ""}));
        for (const QStringList& wrong :
             {QStringList{"--bogus"}, QStringList{"--bogus", "qqdl://"}, QStringList{"-"}}) {
            QVERIFY(!openForm1(QStringList{"orvanthe"} + wrong));
        }
        QCOMPARE(clipboard()->text(), QString());
    }

    // The labels reach over the left ends of some fields: a click there lands in the field.
    void aClickAtTheLeftEndOfAFieldLandsInIt() {
        type({"t1", "t2", "t3", "t4"});
        for (int k = 0; k < 4; ++k) {
            control("Command12")->setFocus();
            QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                              field(k)->mapTo(window.get(), QPoint(2, field(k)->height() / 2)));
            QVERIFY2(field(k)->hasFocus() && field(k)->cursorPosition() == 0,
                     qPrintable(QString::number(k)));
        }
    }

    // Far more text than a line edit takes by default, Chinese among it, pasted, through
    // every link and back.
    void aLongAddressConvertsWhole() {
        const QString address =
            QStringLiteral("http://example.com/中文-path/0123456789_abcdefghijklmnopqrstuvwxyz")
                .repeated(3000)
                .left(1 << 17);
        clipboard()->setText(address);
        click(1);
        for (int k = 1; k < 4; ++k) {
            const QString link = field(k)->text();
            click(2 * k + 2);
            click(2 * k + 1);
            QCOMPARE(field(0)->text(), address);
            QCOMPARE(field(k)->text(), link);
        }
    }
};

} // namespace orvanthe

QTEST_MAIN(orvanthe::Form1WindowTest)
#include "qt_window_test.moc"
