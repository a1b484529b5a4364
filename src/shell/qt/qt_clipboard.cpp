#include "qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>
#include <QStringView>

namespace orvanthe {

std::optional<std::u16string> QtClipboard::text() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    // No data at all, not even a list of formats: the owner did not answer in time.
    if (!data || data->formats().isEmpty()) {
        return std::nullopt;
    }
    const QString text = data->text();
    return std::u16string(QStringView(text).utf16(), std::size_t(text.size()));
}

void QtClipboard::setText(std::u16string_view text) {
    QGuiApplication::clipboard()->setText(QString::fromUtf16(text.data(), qsizetype(text.size())));
}

} // namespace orvanthe
