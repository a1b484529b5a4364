#include "windows_clipboard.h"

#include <algorithm>

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
    if (!open()) {
        return std::nullopt;
    }
    std::optional<std::u16string> text;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        text.emplace(); // no text there (Windows offers any CF_TEXT as CF_UNICODETEXT too)
    } else if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const char16_t*>(GlobalLock(data))) {
            // Up to the first NUL, and never past the end of the block, whatever another
            // program put there.
            const std::size_t capacity = GlobalSize(data) / sizeof(char16_t);
            text.emplace(units, std::find(units, units + capacity, u'\0'));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void WindowsClipboard::setText(std::u16string_view text) {
    if (!put(text) && reportFailedCopy_) {
        reportFailedCopy_();
    }
}

bool WindowsClipboard::put(std::u16string_view text) {
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    if (!data) {
        return false;
    }
    if (auto* units = static_cast<char16_t*>(GlobalLock(data))) {
        *std::copy(text.begin(), text.end(), units) = u'\0';
        GlobalUnlock(data);
        // Emptying makes the owner window the clipboard's owner, which setting data
        // requires, and drops other formats that still show the previous content.
        if (open()) {
            if (EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, data)) {
                data = nullptr; // the clipboard owns it now
            }
            CloseClipboard();
        }
    }
    if (data) {
        GlobalFree(data);
        return false;
    }
    return true;
}

} // namespace orvanthe
