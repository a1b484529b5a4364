#include "form1_window.h"

#include "shell/control_table.h"

#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <limits>

namespace orvanthe {
namespace {

// What a line edit shows when that is not known: no revision of a field.
constexpr std::uint64_t unknownRevision = ~std::uint64_t{0};

QString toQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

std::u16string_view toView(const QString& text) {
    return {QStringView(text).utf16(), std::size_t(text.size())};
}

QWidget* createControl(const Control& control, QWidget* parent) {
    const QString caption = toQString(control.caption);
    switch (control.kind) {
    case ControlKind::TextField: {
        auto* edit = new QLineEdit(parent);
        // QLineEdit would silently cut anything beyond 32,767 characters.
        edit->setMaxLength(std::numeric_limits<int>::max());
        return edit;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(caption, parent);
        // Enter and Esc click nothing: no button is a default one.
        button->setAutoDefault(false);
        button->setDefault(false);
        return button;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(caption, parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // The table lets some labels reach over the left end of their field: a click there
        // goes through to the field, as the user means it to.
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        return label;
    }
    case ControlKind::Frame:
        return new QGroupBox(parent);
    case ControlKind::Picture:
        return new QWidget(parent);
    }
    return nullptr;
}

} // namespace

Form1Window::Form1Window() : form_(clipboard_) {
    setObjectName(QString::fromLatin1(windowName.data(), qsizetype(windowName.size())));
    setWindowTitle(toQString(windowCaption));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/orvanthe-16.png"));
    icon.addFile(QStringLiteral(":/icons/orvanthe-32.png"));
    setWindowIcon(icon);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    buildControls();
}

void Form1Window::buildControls() {
    const QScreen* screen = this->screen();
    const int dpiX = qRound(screen->logicalDotsPerInchX());
    const int dpiY = qRound(screen->logicalDotsPerInchY());
    const auto pixelRect = [&](int left, int top, int width, int height) {
        return QRect(twipsToPixels(left, dpiX), twipsToPixels(top, dpiY),
                     twipsToPixels(width, dpiX), twipsToPixels(height, dpiY));
    };

    std::array<QWidget*, controls.size()> widgets{};
    std::array<QWidget*, controls.size()> byTabIndex{};
    for (std::size_t k = 0; k < controls.size(); ++k) {
        const Control& control = controls[k];
        const int parent = indexOfControl(control.parent);
        QWidget* widget = createControl(control, parent < 0 ? this : widgets[std::size_t(parent)]);
        widget->setObjectName(
            QString::fromLatin1(control.name.data(), qsizetype(control.name.size())));
        widget->setGeometry(pixelRect(control.left, control.top, control.width, control.height));
        if (const std::u16string_view help = helpOf(control.name); !help.empty()) {
            widget->setToolTip(toQString(help));
            widget->setAccessibleName(toQString(help));
        }
        if (control.field) {
            const FieldId id = *control.field;
            auto* edit = static_cast<QLineEdit*>(widget);
            fieldEdits_[std::size_t(id)] = edit;
            connect(edit, &QLineEdit::textEdited, this,
                    [this, id](const QString& text) { edited(id, text); });
        }
        if (control.command) {
            const CommandId command = *control.command;
            connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                    [this, command] { run(command); });
        }
        widgets[k] = widget;
        byTabIndex[std::size_t(control.tabIndex)] = widget;
    }

    // Qt's focus chain in the table's tab order; containers and labels take no focus. The
    // window opens with the focus on the first control of that order, not on whichever
    // control Qt's chain began with.
    QWidget* previous = nullptr;
    for (QWidget* widget : byTabIndex) {
        if (widget->focusPolicy() & Qt::TabFocus) {
            if (previous) {
                setTabOrder(previous, widget);
            } else {
                widget->setFocus();
            }
            previous = widget;
        }
    }

    showChangedFields();

    const QRect client = pixelRect(0, 0, clientWidthTwips, clientHeightTwips);
    for (std::size_t k = 0; k < fieldCount; ++k) {
        QLineEdit* edit = fieldEdits_[k];
        if (!client.intersects(QRect(edit->mapTo(this, QPoint()), edit->size()))) {
            outOfSight_[k] = true;
            edit->installEventFilter(this);
        }
    }
    setFixedSize(client.size());
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, client.size(),
                                    screen->availableGeometry()));
}

void Form1Window::edited(FieldId id, const QString& text) {
    try {
        form_.setText(id, toView(text));
    } catch (...) {
        // The field keeps what it held: so does the line edit.
        shownRevisions_[std::size_t(id)] = unknownRevision;
        reportFailure();
        return;
    }
    const Field& field = form_.field(id);
    if (field.text().size() != std::size_t(text.size())) {
        // The field kept only what precedes a NUL: show what it holds.
        const QString kept = text.left(qsizetype(field.text().size()));
        fieldEdits_[std::size_t(id)]->setText(kept);
    }
    shownRevisions_[std::size_t(id)] = field.revision();
}

void Form1Window::fill(FieldId id, std::u16string_view text) {
    form_.fill(id, text);
    showChangedFields();
}

void Form1Window::run(CommandId command) {
    // Nothing may unwind into Qt's event loop.
    try {
        form_.run(command, [this] { showChangedFields(); });
    } catch (...) {
        // Every field is back as it was before the command: show it so.
        reportFailure();
    }
}

void Form1Window::reportFailure() {
    try {
        showChangedFields();
    } catch (...) {
        // What cannot be shown stays marked as not shown, and is tried again later.
    }
    if (report_) {
        report_();
    } else {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("内存不足，未能完成：各栏均保持原样。\n\n"
                                            "Not enough memory: nothing was changed."));
    }
}

void Form1Window::showChangedFields() {
    for (std::size_t k = 0; k < fieldCount; ++k) {
        if (!outOfSight_[k] || fieldEdits_[k]->hasFocus()) {
            showField(k);
        }
    }
}

void Form1Window::showField(std::size_t k) {
    const Field& field = form_.field(FieldId(k));
    if (field.revision() != shownRevisions_[k]) {
        shownRevisions_[k] = unknownRevision; // until the line edit has taken it whole
        QLineEdit* edit = fieldEdits_[k];
        edit->setText(toQString(field.text()));
        // Like a native edit control: a written field shows its beginning.
        edit->setCursorPosition(0);
        shownRevisions_[k] = field.revision();
    }
}

bool Form1Window::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (std::size_t k = 0; k < fieldCount; ++k) {
            if (fieldEdits_[k] == watched) {
                try {
                    showField(k);
                } catch (...) {
                    reportFailure();
                }
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orvanthe
