#include "windows_clipboard.h"

#include "held.h"

#include <algorithm>
#include <stdexcept>

namespace orvanthe {

bool WindowsClipboard::open() {
    // Another program may hold the clipboard for a moment, as clipboard managers and remote
    // desktops do with each new content: try again a few times before giving up.
    constexpr int tries = 6;
    constexpr DWORD pauseMs = 20;
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (attempt > 0) {
            Sleep(pauseMs);
        }
        if (OpenClipboard(owner_)) {
            return true;
        }
    }
    return false;
}

std::optional<std::u16string> WindowsClipboard::text() {
    // Copying the text out may throw (a clipboard of hundreds of megabytes): the guards give
    // the clipboard back to the other programs all the same.
    const OpenedClipboard opened(open());
    if (!opened) {
        return std::nullopt;
    }
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        return std::u16string(); // no text there (Windows offers any CF_TEXT as CF_UNICODETEXT too)
    }
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const GlobalLocked<const char16_t> units(data);
    if (!data || !units.get()) {
        return std::nullopt;
    }
    // Up to the first NUL, and never past the end of the block, whatever another program
    // put there.
    const std::size_t capacity = GlobalSize(data) / sizeof(char16_t);
    const char16_t* end = std::find(units.get(), units.get() + capacity, u'\0');
    if (std::size_t(end - units.get()) > longest_) {
        throw std::length_error("clipboard text");
    }
    return std::u16string(units.get(), end);
}

void WindowsClipboard::setText(std::u16string_view text) {
    if (!put(text) && reportFailedCopy_) {
        reportFailedCopy_();
    }
}

bool WindowsClipboard::put(std::u16string_view text) {
    HeldGlobal data(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t)));
    if (!data) {
        return false;
    }
    {
        const GlobalLocked<char16_t> units(data.get());
        if (!units.get()) {
            return false;
        }
        *std::copy(text.begin(), text.end(), units.get()) = u'\0';
    }
    // Emptying makes the owner window the clipboard's owner, which setting data requires,
    // and drops other formats that still show the previous content.
    const OpenedClipboard opened(open());
    if (!opened || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, data.get())) {
        return false;
    }
    data.handOver(); // the clipboard owns it now
    return true;
}

} // namespace orvanthe
