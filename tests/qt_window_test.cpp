// The Qt window as the user meets it: real clicks and keys, the real clipboard (Qt's own
// under the offscreen platform).

#include "shell/control_table.h"
#include "shell/qt/chinese_font.h"
#include "shell/qt/form1_window.h"
#include "shell/qt/start_up.h"

#include <QApplication>
#include <QClipboard>
#include <QGlyphRun>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTextLayout>
#include <algorithm>
#include <memory>
#include <vector>

namespace orvanthe {
namespace {

constexpr int testDpi = 96;
const QString address = QStringLiteral("http://a.b/c.zip");
const QString thunder = QStringLiteral("thunder://QUFodHRwOi8vYS5iL2MuemlwWlo=");
const QString flashget =
    QStringLiteral("flashget://W0ZMQVNIR0VUXWh0dHA6Ly9hLmIvYy56aXBbRkxBU0hHRVRd&velkaron777");
const QString qqdl = QStringLiteral("qqdl://aHR0cDovL2EuYi9jLnppcA==");

QString toQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

QString toQString(std::string_view name) {
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

// The faces in which `font` draws the glyphs of `text`.
QStringList facesDrawing(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList faces;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        faces.append(run.rawFont().familyName());
    }
    faces.removeDuplicates();
    return faces;
}

// The controls that take focus, in the table's tab order.
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
    QFont platformFont;

    template <class Widget = QWidget>
    Widget* control(const QString& name) const {
        auto* widget = window->findChild<Widget*>(name);
        if (!widget) {
            qFatal("no control %s", qPrintable(name));
        }
        return widget;
    }

    static QClipboard* clipboard() { return QGuiApplication::clipboard(); }
    static QString visibleField(int k) { return QStringLiteral("Text%1").arg(k + 1); }
    static QString button(int number) { return QStringLiteral("Command%1").arg(number); }
    QLineEdit* field(const QString& name) const { return control<QLineEdit>(name); }
    void click(const QString& name) const {
        QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton);
    }

    QStringList shown() const {
        QStringList texts;
        for (int k = 0; k < 4; ++k) {
            texts.append(field(visibleField(k))->text());
        }
        return texts;
    }

    void type(const QString& name, const QString& text) const {
        QTest::mouseClick(field(name), Qt::LeftButton);
        QTest::keyClicks(field(name), text);
    }

    // Ctrl+A, Ctrl+V with `text` on the clipboard.
    void pasteInto(const QString& name, const QString& text) const {
        clipboard()->setText(text);
        field(name)->setFocus();
        QTest::keyClick(field(name), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field(name), Qt::Key_V, Qt::ControlModifier);
    }

    // Every line edit shows what its field holds: at once where it can be seen, once the
    // user reaches it where it cannot (the work fields).
    void expectWidgetsInStep() const {
        for (const Control& entry : controls) {
            if (entry.field) {
                QLineEdit* edit = field(toQString(entry.name));
                if (*entry.field >= FieldId::xl) {
                    edit->setFocus();
                }
                QCOMPARE(edit->text(), toQString(window->form().text(*entry.field)));
            }
        }
    }

private slots:
    void initTestCase() {
        platformFont = QApplication::font();
        QCOMPARE(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()), testDpi);
    }

    void init() {
        clipboard()->clear();
        window = std::make_unique<Form1Window>();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void cleanup() {
        window.reset();
        QApplication::setFont(platformFont);
    }

    void controlsFollowTheTable_data() {
        QTest::addColumn<int>("index");
        for (std::size_t k = 0; k < controls.size(); ++k) {
            QTest::newRow(controls[k].name.data()) << int(k);
        }
    }

    void controlsFollowTheTable() {
        QFETCH(int, index);
        const Control& entry = controls[std::size_t(index)];
        static constexpr const char* classOfKind[] = {"QLineEdit", "QPushButton", "QLabel",
                                                      "QGroupBox", "QWidget"};
        QWidget* widget = control(toQString(entry.name));
        QCOMPARE(widget->metaObject()->className(), classOfKind[int(entry.kind)]);
        QCOMPARE(widget->parentWidget()->objectName(), toQString(entry.parent));
        QCOMPARE(widget->geometry(),
                 QRect(twipsToPixels(entry.left, testDpi), twipsToPixels(entry.top, testDpi),
                       twipsToPixels(entry.width, testDpi), twipsToPixels(entry.height, testDpi)));
        QVERIFY(widget->isVisible());
        // A frame's caption is its title; a picture panel has none.
        const char* captionProperty = entry.kind == ControlKind::Frame ? "title" : "text";
        QCOMPARE(widget->property(captionProperty).toString(), toQString(entry.caption));
    }

    void windowIsFixedCentredAndCaptioned() {
        const QSize client(twipsToPixels(clientWidthTwips, testDpi),
                           twipsToPixels(clientHeightTwips, testDpi));
        QCOMPARE(window->windowTitle(), toQString(windowCaption));
        QCOMPARE(window->minimumSize(), client);
        QCOMPARE(window->maximumSize(), client);
        QCOMPARE(window->geometry(), QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, client,
                                                         window->screen()->availableGeometry()));
        QCOMPARE(window->windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    }

    void tabVisitsEveryControlInTableOrder() {
        const std::vector<Control> order = focusOrder();
        // From the first, which has the focus as the window opens, round to it again.
        for (std::size_t k = 0; k <= order.size(); ++k) {
            QCOMPARE(QApplication::focusWidget()->objectName(),
                     toQString(order[k % order.size()].name));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
    }

    void commandsWriteFieldsAndClipboard_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("typed");    // into Text1 - Text4
        QTest::addColumn<QString>("onClipboard");  // beforehand; null for an image
        QTest::addColumn<QStringList>("expected"); // Text1 - Text4 afterwards
        QTest::addColumn<QString>("clipboardAfter");

        const QStringList links = {address, thunder, flashget, qqdl};
        const QStringList typed = {"t1", "t2", "t3", ""};
        QTest::newRow("Command12 builds the links")
            << 12 << QStringList{address, "t2", "t3", "t4"} << "held" << links << "held";
        // Pasted links with white space, and with another tail than the one links are built with.
        const QStringList pasted = {address, thunder, flashget.section('&', 0, 0) + "&other",
                                    " " + qqdl + "\r\n"};
        for (int k = 0; k < 4; ++k) {
            QStringList link = typed, taken = typed;
            link[k] = taken[k] = links[k];
            taken[0] = address;
            if (k > 0) {
                QTest::addRow("Command%d takes Text%d apart", 8 + k, k + 1)
                    << 8 + k << link << "held" << taken << "held";
            }
            QTest::addRow("Command%d pastes into Text%d", 2 * k + 1, k + 1)
                << 2 * k + 1 << typed << pasted[k] << links << pasted[k];
            QTest::addRow("Command%d copies Text%d", 2 * k + 2, k + 1)
                << 2 * k + 2 << typed << "held" << typed << typed[k];
        }
        const QStringList linksOfNothing = {
            "", "thunder://QUFaWg==", "flashget://W0ZMQVNIR0VUXVtGTEFTSEdFVF0=&velkaron777",
            "qqdl://"};
        QTest::newRow("Command1 reads an image as empty text")
            << 1 << typed << QString() << linksOfNothing << "";
        QTest::newRow("Command7 pastes a Chinese qqdl link")
            << 7 << typed << "qqdl://1tA="
            << QStringList{"中", "thunder://QUHW0Fpa",
                           "flashget://W0ZMQVNIR0VUXdbQW0ZMQVNIR0VUXQ==&velkaron777", "qqdl://1tA="}
            << "qqdl://1tA=";
    }

    void commandsWriteFieldsAndClipboard() {
        QFETCH(int, command);
        QFETCH(QStringList, typed);
        QFETCH(QString, onClipboard);
        QFETCH(QStringList, expected);
        QFETCH(QString, clipboardAfter);

        for (int k = 0; k < 4; ++k) {
            type(visibleField(k), typed[k]);
        }
        if (onClipboard.isNull()) {
            clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
        } else {
            clipboard()->setText(onClipboard);
        }
        click(button(command));

        QCOMPARE(shown(), expected);
        QCOMPARE(clipboard()->text(), clipboardAfter);
        // A field the command left keeps the caret where typing left it; one it wrote shows
        // its beginning.
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(field(visibleField(k))->cursorPosition(),
                     expected[k] == typed[k] ? typed[k].size() : 0);
        }
        expectWidgetsInStep();
    }

    // The window as the command line opens it; an option it does not honour opens none.
    void commandLineFillsTheWindow_data() {
        QTest::addColumn<QStringList>("arguments"); // after the program's name
        QTest::addColumn<QStringList>("expected");  // Text1 - Text4; none without a window
        const QStringList links = {address, thunder, flashget, qqdl};
        for (const QString& link : links) {
            QTest::newRow(qPrintable(link)) << QStringList{link} << links;
        }
        QTest::newRow("no argument") << QStringList{} << QStringList{"", "", "", ""};
        QTest::newRow("options after a link") << QStringList{thunder, "--unregister"} << links;
        for (const char* option : {"--register", "--bogus", "-"}) {
            QTest::newRow(option) << QStringList{option} << QStringList{};
        }
        QTest::newRow("option before a link") << QStringList{"--bogus", thunder} << QStringList{};
    }

    void commandLineFillsTheWindow() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        window = openForm1(QStringList{"orvanthe"} + arguments);
        QCOMPARE(window ? shown() : QStringList{}, expected);
        QCOMPARE(clipboard()->text(), QString());
    }

    void nulEndsWhatAFieldTakes() {
        for (const Control& entry : controls) {
            if (entry.field) {
                pasteInto(toQString(entry.name), QString::fromUtf16(u"ab\0cd", 5));
                QCOMPARE(field(toQString(entry.name))->text(), QStringLiteral("ab"));
            }
        }
    }

    void enterAndEscapeDoNothing() {
        type("Text1", address);
        clipboard()->setText(qqdl);
        const QStringList typed = {address, "", "", ""};
        for (const Control& stop : focusOrder()) {
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                QWidget* widget = control(toQString(stop.name));
                widget->setFocus();
                QTest::keyClick(widget, key);
                QVERIFY2(window->isVisible() && shown() == typed && clipboard()->text() == qqdl,
                         qPrintable(toQString(stop.name) + " " + QKeySequence(key).toString()));
            }
        }
    }

    // 100,000 characters, Chinese among them, typed, through every link and the clipboard
    // and back.
    void longAddressSurvives() {
        const QString tail = QStringLiteral("/typed-at-the-end/0123456789.zip");
        const QString longAddress =
            ("http://example.com/" +
             QStringLiteral("中文-path/0123456789_abcdefghijklmnopqrstuvwxyz/").repeated(2200))
                .left(100'000 - tail.size()) +
            tail;
        pasteInto("Text1", longAddress.chopped(tail.size()));
        QTest::keyClicks(field("Text1"), tail);
        click("Command12");
        QCOMPARE(field("Text1")->text(), longAddress);
        expectWidgetsInStep();

        for (int k = 1; k < 4; ++k) {
            const QString link = field(visibleField(k))->text();
            click(button(2 * k + 2));
            QCOMPARE(clipboard()->text(), link);
            field("Text1")->clear();
            click(button(2 * k + 1));
            QCOMPARE(field("Text1")->text(), longAddress);
            QCOMPARE(field(visibleField(k))->text(), link);
        }
    }

    void chineseCaptionsGetASimplifiedChineseFace_data() {
        QTest::addColumn<QStringList>("platform"); // the platform font's families
        QTest::addColumn<bool>("latinKept");       // Latin text keeps the platform's face
        // A CJK face outside the Simplified-Chinese list stands in for a Japanese one.
        const QString otherCjk = QStringLiteral("WenQuanYi Micro Hei Mono");
        QTest::newRow("platform gives Han another CJK face")
            << QStringList{"DejaVu Sans", otherCjk} << true;
        QTest::newRow("platform face is another CJK face") << QStringList{otherCjk} << false;
    }

    void chineseCaptionsGetASimplifiedChineseFace() {
        QFETCH(QStringList, platform);
        QFETCH(bool, latinKept);
        const QStringList faces = simplifiedChineseFaces();
        QVERIFY2(!faces.isEmpty(), "no Simplified-Chinese face installed");
        QFont font = QApplication::font();
        font.setFamilies(platform);
        QApplication::setFont(font);
        const QString latin = QStringLiteral("http>>>");
        const QStringList latinFaces = facesDrawing(latin, font);

        preferSimplifiedChineseFaces();
        window = std::make_unique<Form1Window>();
        for (const Control& entry : controls) {
            const QString han = toQString(entry.caption).remove(QRegularExpression("\\P{Han}"));
            if (han.isEmpty()) {
                continue;
            }
            const QFont captionFont = control(toQString(entry.name))->font();
            for (const QString& face : facesDrawing(han, captionFont)) {
                QVERIFY2(faces.contains(face), qPrintable(han + " in " + face));
            }
            if (latinKept) {
                QCOMPARE(facesDrawing(latin, captionFont), latinFaces);
            }
        }
    }
};

} // namespace orvanthe

QTEST_MAIN(orvanthe::Form1WindowTest)
#include "qt_window_test.moc"
