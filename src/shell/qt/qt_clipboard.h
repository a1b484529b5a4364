#pragma once

#include "form/clipboard.h"

namespace orvanthe {

// The system clipboard through QClipboard, in plain text both ways. A clipboard that holds
// data but no text (an image, say) reads as the empty text. Where Qt gives no data at all,
// not even its formats, the owner did not answer: Qt cannot tell that from a clipboard that
// nobody owns, so both read as unreadable, and a paste changes nothing.
class QtClipboard : public Clipboard {
public:
    std::optional<std::u16string> text() override;
    void setText(std::u16string_view text) override;
};

} // namespace orvanthe
