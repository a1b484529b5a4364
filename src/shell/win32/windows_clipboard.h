#pragma once

#include "form/clipboard.h"

#include <functional>
#include <string>
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

    // The text is ready before the clipboard is opened and emptied, so that running out of
    // memory leaves what it held. When the text cannot be put there (the clipboard stays
    // held, as above, or the system refuses), calls the report given to reportFailedCopy.
    void setText(std::u16string_view text) override;

    void reportFailedCopy(std::function<void()> report) { reportFailedCopy_ = std::move(report); }

    // The longest text that text() copies out; a longer one throws std::length_error, as a
    // string past its largest size does. A test lowers it to make a paste fail.
    void limitText(std::size_t units) { longest_ = units; }

private:
    bool open();
    bool put(std::u16string_view text);

    HWND owner_ = nullptr;
    std::function<void()> reportFailedCopy_;
    std::size_t longest_ = std::u16string().max_size();
};

} // namespace orvanthe
