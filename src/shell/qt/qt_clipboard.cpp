#include "qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>
#include <QStringView>
#include <memory>

#ifdef ORVANTHE_XCB
#include <cstdlib>
#include <xcb/xcb.h>
#endif

namespace orvanthe {
namespace {

// Whether a program owns the clipboard, where the platform can tell: X11 can. Elsewhere no
// data at all means that nobody does.
bool clipboardOwned() {
#ifdef ORVANTHE_XCB
    if (const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        xcb_connection_t* connection = x11->connection();
        constexpr std::string_view name = "CLIPBOARD";
        const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
            xcb_intern_atom_reply(
                connection, xcb_intern_atom(connection, 0, std::uint16_t(name.size()), name.data()),
                nullptr),
            &std::free);
        if (!atom) {
            return true; // the server does not say: as unreadable
        }
        const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
            xcb_get_selection_owner_reply(connection,
                                          xcb_get_selection_owner(connection, atom->atom), nullptr),
            &std::free);
        return !owner || owner->owner != XCB_NONE;
    }
#endif
    return false;
}

} // namespace

std::optional<std::u16string> QtClipboard::text() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    // No data at all, not even a list of formats: nobody owns the clipboard (an empty one), or
    // its owner did not answer in time (unreadable).
    if (!data || data->formats().isEmpty()) {
        return clipboardOwned() ? std::nullopt : std::optional(std::u16string());
    }
    const QString text = data->text();
    return std::u16string(QStringView(text).utf16(), std::size_t(text.size()));
}

void QtClipboard::setText(std::u16string_view text) {
    QGuiApplication::clipboard()->setText(QString::fromUtf16(text.data(), qsizetype(text.size())));
}

} // namespace orvanthe
