// The Qt window as the user meets it: real clicks on its buttons, real keys in its fields,
// the real clipboard (Qt's own under the offscreen platform).

#include "shell/control_table.h"
#include "shell/qt/chinese_font.h"
#include "shell/qt/form1_window.h"

#include <QApplication>
#include <QClipboard>
#include <QGlyphRun>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTextLayout>
#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace orvanthe {
namespace {

constexpr int testDpi = 96;
constexpr std::array visibleFields = {"Text1", "Text2", "Text3", "Text4"};

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

QRect pixels(const Control& control) {
    return {twipsToPixels(control.left, testDpi), twipsToPixels(control.top, testDpi),
            twipsToPixels(control.width, testDpi), twipsToPixels(control.height, testDpi)};
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

QString clipboardText() {
    return QGuiApplication::clipboard()->text();
}

// The controls that take focus, in the table's tab order.
std::vector<const Control*> focusOrder() {
    std::vector<const Control*> order;
    for (const Control& control : controls) {
        if (control.kind == ControlKind::TextField || control.kind == ControlKind::Button) {
            order.push_back(&control);
        }
    }
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
    Widget* control(std::string_view name) const {
        auto* widget = window->findChild<Widget*>(toQString(name));
        if (!widget) {
            qFatal("no control %s", name.data());
        }
        return widget;
    }

    QLineEdit* field(const char* name) const { return control<QLineEdit>(name); }

    void click(const char* button) const {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    }

    void type(const char* name, const QString& text) const {
        QLineEdit* edit = field(name);
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClicks(edit, text);
    }

    void pasteInto(const char* name, const QString& text) const {
        QGuiApplication::clipboard()->setText(text);
        QLineEdit* edit = field(name);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    }

    void erase(const char* name) const {
        QLineEdit* edit = field(name);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
    }

    // Every line edit shows what its field holds: at once where it can be seen, once the
    // user reaches it where it cannot.
    void expectWidgetsInStep() const {
        for (const Control& entry : controls) {
            if (entry.field) {
                QLineEdit* edit = field(entry.name.data());
                if (!window->rect().intersects(
                        QRect(edit->mapTo(window.get(), QPoint()), edit->size()))) {
                    edit->setFocus();
                }
                QCOMPARE(edit->text(), toQString(window->form().text(*entry.field)));
            }
        }
    }

private slots:
    void initTestCase() {
        platformFont = QApplication::font();
        QCOMPARE(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchX()), testDpi);
        QCOMPARE(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()), testDpi);
    }

    void init() {
        QGuiApplication::clipboard()->clear();
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
        const Control& expected = controls[std::size_t(index)];
        QWidget* widget = control(expected.name);
        QCOMPARE(widget->parentWidget()->objectName(), toQString(expected.parent));
        QCOMPARE(widget->geometry(), pixels(expected));
        QVERIFY(widget->isVisible());
        const QString caption = toQString(expected.caption);
        switch (expected.kind) {
        case ControlKind::TextField: {
            auto* edit = qobject_cast<QLineEdit*>(widget);
            QVERIFY(edit);
            QCOMPARE(edit->text(), caption);
            QCOMPARE(edit->maxLength(), std::numeric_limits<int>::max());
            break;
        }
        case ControlKind::Button: {
            auto* button = qobject_cast<QPushButton*>(widget);
            QVERIFY(button);
            QCOMPARE(button->text(), caption);
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
            break;
        }
        case ControlKind::Label: {
            auto* label = qobject_cast<QLabel*>(widget);
            QVERIFY(label);
            QCOMPARE(label->text(), caption);
            break;
        }
        case ControlKind::Frame: {
            auto* frame = qobject_cast<QGroupBox*>(widget);
            QVERIFY(frame);
            QVERIFY(frame->title().isEmpty());
            break;
        }
        case ControlKind::Picture:
            QCOMPARE(widget->metaObject(), &QWidget::staticMetaObject);
            break;
        }
    }

    void windowIsFixedCentredAndCaptioned() {
        const QSize client(twipsToPixels(clientWidthTwips, testDpi),
                           twipsToPixels(clientHeightTwips, testDpi));
        QCOMPARE(window->objectName(), toQString(windowName));
        QCOMPARE(window->windowTitle(), toQString(windowCaption));
        QCOMPARE(window->size(), client);
        QCOMPARE(window->minimumSize(), client);
        QCOMPARE(window->maximumSize(), client);
        QVERIFY(!window->parentWidget());
        const QList<QSize> iconSizes = window->windowIcon().availableSizes();
        QVERIFY(iconSizes.contains(QSize(16, 16)));
        QVERIFY(iconSizes.contains(QSize(32, 32)));
        const QRect screen = window->screen()->availableGeometry();
        QCOMPARE(window->geometry(),
                 QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, client, screen));
        // The work fields lie wholly outside the client area.
        for (const char* name : {"xl", "kc", "xf"}) {
            QVERIFY(!window->rect().intersects(field(name)->geometry()));
        }
    }

    void tabVisitsEveryControlInTableOrder() {
        const std::vector<const Control*> order = focusOrder();
        QCOMPARE(QApplication::focusWidget()->objectName(), toQString(order.front()->name));
        for (std::size_t k = 1; k <= order.size(); ++k) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(),
                     toQString(order[k % order.size()]->name));
        }
        for (std::size_t k = order.size(); k-- > 0;) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
            QCOMPARE(QApplication::focusWidget()->objectName(), toQString(order[k]->name));
        }
    }

    void commandsWriteFieldsAndClipboard_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("typed"); // into Text1 - Text4
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QStringList>("expected"); // Text1 - Text4 afterwards
        QTest::addColumn<QString>("clipboardAfter");

        const QStringList links = {address, thunder, flashget, qqdl};
        const QStringList emptyLinks = {
            "", "thunder://QUFaWg==", "flashget://W0ZMQVNIR0VUXVtGTEFTSEdFVF0=&velkaron777",
            "qqdl://"};
        const QStringList chinese = {"中", "thunder://QUHW0Fpa",
                                     "flashget://W0ZMQVNIR0VUXdbQW0ZMQVNIR0VUXQ==&velkaron777",
                                     "qqdl://1tA="};
        const QStringList typed = {"t1", "t2", "t3", "t4"};
        const QString held = "held";

        QTest::newRow("Command12 builds the links")
            << "Command12" << QStringList{address, "t2", "t3", "t4"} << held << links << held;
        QTest::newRow("Command12 of an empty address")
            << "Command12" << QStringList{"", "t2", "t3", "t4"} << held << emptyLinks << held;
        QTest::newRow("Command9 takes a thunder link apart")
            << "Command9" << QStringList{"t1", thunder, "t3", "t4"} << held
            << QStringList{address, thunder, "t3", "t4"} << held;
        QTest::newRow("Command10 takes a flashget link apart")
            << "Command10" << QStringList{"t1", "t2", flashget, "t4"} << held
            << QStringList{address, "t2", flashget, "t4"} << held;
        QTest::newRow("Command11 takes a qqdl link apart")
            << "Command11" << QStringList{"t1", "t2", "t3", qqdl} << held
            << QStringList{address, "t2", "t3", qqdl} << held;
        QTest::newRow("Command1 pastes an address")
            << "Command1" << typed << address << links << address;
        QTest::newRow("Command1 pastes Chinese") << "Command1" << typed << "中" << chinese << "中";
        QTest::newRow("Command1 with an empty clipboard")
            << "Command1" << typed << "" << emptyLinks << "";
        QTest::newRow("Command3 pastes a thunder link")
            << "Command3" << typed << thunder << links << thunder;
        const QString foreignTail = flashget.left(flashget.indexOf('&')) + "&other";
        QTest::newRow("Command5 pastes a flashget link with another tail")
            << "Command5" << typed << foreignTail << links << foreignTail;
        const QString spaced = " " + qqdl + "\r\n";
        QTest::newRow("Command7 pastes a qqdl link with a line break")
            << "Command7" << typed << spaced << links << spaced;
        QTest::newRow("Command7 pastes a Chinese qqdl link")
            << "Command7" << typed << "qqdl://1tA=" << chinese << "qqdl://1tA=";
        QTest::newRow("Command2 copies the address")
            << "Command2" << typed << held << typed << "t1";
        QTest::newRow("Command4 copies the thunder link")
            << "Command4" << typed << held << typed << "t2";
        QTest::newRow("Command6 copies the flashget link")
            << "Command6" << typed << held << typed << "t3";
        QTest::newRow("Command8 copies the qqdl link")
            << "Command8" << typed << held << typed << "t4";
        QTest::newRow("Command8 copies an empty field")
            << "Command8" << QStringList{"t1", "t2", "t3", ""} << held
            << QStringList{"t1", "t2", "t3", ""} << "";
    }

    void commandsWriteFieldsAndClipboard() {
        QFETCH(QString, button);
        QFETCH(QStringList, typed);
        QFETCH(QString, clipboard);
        QFETCH(QStringList, expected);
        QFETCH(QString, clipboardAfter);

        for (std::size_t k = 0; k < visibleFields.size(); ++k) {
            type(visibleFields[k], typed[qsizetype(k)]);
        }
        QGuiApplication::clipboard()->setText(clipboard);
        click(button.toLatin1().constData());

        for (std::size_t k = 0; k < visibleFields.size(); ++k) {
            QCOMPARE(field(visibleFields[k])->text(), expected[qsizetype(k)]);
        }
        QCOMPARE(clipboardText(), clipboardAfter);
        expectWidgetsInStep();
    }

    void tabReachesTheWorkFieldsWithTheirTexts() {
        type("Text1", address);
        click("Command12");
        const QString bodies[] = {thunder.mid(thunder.indexOf("//") + 2),
                                  flashget.mid(flashget.indexOf("//") + 2).section('&', 0, 0),
                                  qqdl.mid(qqdl.indexOf("//") + 2)};
        for (const QString& body : bodies) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            QVERIFY(edit);
            QCOMPARE(edit->text(), body);
        }
    }

    void pasteOfNonTextReadsAsEmpty() {
        type("Text1", address);
        auto* image = new QMimeData;
        image->setImageData(QImage(4, 4, QImage::Format_RGB32));
        QGuiApplication::clipboard()->setMimeData(image);
        click("Command1");
        QCOMPARE(field("Text1")->text(), QString());
        QCOMPARE(field("Text4")->text(), QStringLiteral("qqdl://"));
    }

    void nulEndsWhatAFieldTakes_data() {
        QTest::addColumn<QString>("name");
        for (const Control& control : controls) {
            if (control.field) {
                QTest::newRow(control.name.data()) << toQString(control.name);
            }
        }
    }

    void nulEndsWhatAFieldTakes() {
        QFETCH(QString, name);
        const QByteArray fieldName = name.toLatin1();
        pasteInto(fieldName.constData(), QString::fromUtf16(u"ab\0cd", 5));
        QCOMPARE(field(fieldName.constData())->text(), QStringLiteral("ab"));
        expectWidgetsInStep();
    }

    void enterAndEscapeDoNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("key");
        for (const Control* control : focusOrder()) {
            for (const auto& [keyName, key] : {std::pair{"Return", Qt::Key_Return},
                                               {"Enter", Qt::Key_Enter},
                                               {"Escape", Qt::Key_Escape}}) {
                QTest::addRow("%s %s", control->name.data(), keyName)
                    << toQString(control->name) << int(key);
            }
        }
    }

    void enterAndEscapeDoNothing() {
        QFETCH(QString, name);
        QFETCH(int, key);
        type("Text1", address);
        QGuiApplication::clipboard()->setText(qqdl);
        QWidget* focused = control(name.toStdString());
        focused->setFocus();
        QTest::keyClick(focused, Qt::Key(key));

        QVERIFY(window->isVisible());
        QCOMPARE(field("Text1")->text(), address);
        for (const char* link : {"Text2", "Text3", "Text4"}) {
            QCOMPARE(field(link)->text(), QString());
        }
        QCOMPARE(clipboardText(), qqdl);
    }

    void longAddressSurvives_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("pasted into the field") << "keys";
        QTest::newRow("pasted with <<<") << "button";
        QTest::newRow("typed at the end of a long field") << "typed";
    }

    // 100,000 characters in, through every link and the clipboard and back, nothing cut.
    void longAddressSurvives() {
        QFETCH(QString, how);
        // Chinese for the two-byte codes, and an ASCII tail that keys can type.
        const QString tail = QStringLiteral("/typed-at-the-end/0123456789.zip");
        QString longAddress = QStringLiteral("http://example.com/");
        const QString pattern = QStringLiteral("中文-path/0123456789_abcdefghijklmnopqrstuvwxyz/");
        while (longAddress.size() < 100'000) {
            longAddress += pattern;
        }
        longAddress.truncate(100'000 - tail.size());
        longAddress += tail;

        if (how == "keys") {
            pasteInto("Text1", longAddress);
            click("Command12");
        } else if (how == "button") {
            QGuiApplication::clipboard()->setText(longAddress);
            click("Command1");
        } else {
            pasteInto("Text1", longAddress.chopped(tail.size()));
            QTest::keyClicks(field("Text1"), tail);
            click("Command12");
        }
        QCOMPARE(field("Text1")->text(), longAddress);
        expectWidgetsInStep();

        const struct {
            const char* field;
            const char* copy;
            const char* paste;
        } links[] = {
            {"Text2", "Command4", "Command3"},
            {"Text3", "Command6", "Command5"},
            {"Text4", "Command8", "Command7"},
        };
        for (const auto& link : links) {
            const QString text = field(link.field)->text();
            QVERIFY(text.size() > longAddress.size());
            click(link.copy);
            QCOMPARE(clipboardText(), text);
            erase("Text1");
            QCOMPARE(window->form().text(FieldId::Text1), u"");
            click(link.paste);
            QCOMPARE(field("Text1")->text(), longAddress);
            QCOMPARE(field(link.field)->text(), text);
        }
    }

    void chineseCaptionsGetASimplifiedChineseFace_data() {
        QTest::addColumn<QStringList>("platform"); // the platform font's families, if others
        QTest::addColumn<bool>("latinKept");       // Latin text keeps the platform's face
        // A CJK face outside the Simplified-Chinese list stands in for a Japanese one.
        const QString otherCjk = QStringLiteral("WenQuanYi Micro Hei Mono");
        QTest::newRow("platform font") << QStringList{} << true;
        QTest::newRow("platform gives Han another CJK face")
            << QStringList{"DejaVu Sans", otherCjk} << true;
        QTest::newRow("platform face is another CJK face") << QStringList{otherCjk} << false;
    }

    void chineseCaptionsGetASimplifiedChineseFace() {
        QFETCH(QStringList, platform);
        QFETCH(bool, latinKept);
        const QStringList faces = simplifiedChineseFaces();
        QVERIFY2(!faces.isEmpty(), "no Simplified-Chinese face installed");
        if (!platform.isEmpty()) {
            QFont font = QApplication::font();
            font.setFamilies(platform);
            QApplication::setFont(font);
        }
        const QString latin = QStringLiteral("http>>>");
        const QStringList latinFaces = facesDrawing(latin, QApplication::font());

        preferSimplifiedChineseFaces();
        window = std::make_unique<Form1Window>();
        for (const Control& entry : controls) {
            const QString caption = toQString(entry.caption);
            QString han;
            std::ranges::copy_if(caption, std::back_inserter(han),
                                 [](QChar c) { return c.script() == QChar::Script_Han; });
            if (han.isEmpty()) {
                continue;
            }
            const QFont captionFont = control(entry.name)->font();
            for (const QString& face : facesDrawing(han, captionFont)) {
                QVERIFY2(faces.contains(face), qPrintable(caption + " in " + face));
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
