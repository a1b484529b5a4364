#include "qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>
#include <QStringView>

namespace orvanthe {

std::optional<std::u16string> QtClipboard::text() {
    const QString text = QGuiApplication::clipboard()->text();
    return std::u16string(QStringView(text).utf16(), std::size_t(text.size()));
}

void QtClipboard::setText(std::u16string_view text) {
    QGuiApplication::clipboard()->setText(QString::fromUtf16(text.data(), qsizetype(text.size())));
}

} // namespace orvanthe
