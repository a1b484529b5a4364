#pragma once

#include "form/clipboard.h"

namespace orvanthe {

// The system clipboard through QClipboard, in plain text both ways. A clipboard that holds
// data but no text (an image, say), or that nobody owns, reads as the empty text. One whose
// owner does not answer (Qt gives no data at all, not even its formats, while a program owns
// it) is unreadable, and a paste changes nothing.
class QtClipboard : public Clipboard {
public:
    std::optional<std::u16string> text() override;
    void setText(std::u16string_view text) override;
};

} // namespace orvanthe
