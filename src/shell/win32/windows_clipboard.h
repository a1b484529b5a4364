#pragma once

#include "form/clipboard.h"

#include <windows.h>

namespace orvanthe {

// The Windows clipboard as plain Unicode text (CF_UNICODETEXT) both ways.
class WindowsClipboard : public Clipboard {
public:
    // The window that owns what this clipboard puts there.
    void setOwner(HWND owner) { owner_ = owner; }

    // Nothing when the clipboard stays held by another window through a few tries over
    // about 100 ms, or its text cannot be read; the empty text when it holds no text.
    std::optional<std::u16string> text() override;

    // Gives up silently when the clipboard stays held, as above.
    void setText(std::u16string_view text) override;

private:
    bool open();

    HWND owner_ = nullptr;
};

} // namespace orvanthe
