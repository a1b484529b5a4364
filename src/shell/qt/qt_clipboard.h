#pragma once

#include "form/clipboard.h"

namespace orvanthe {

// The system clipboard through QClipboard, in plain text both ways. Qt always answers a
// read: a clipboard that is empty or holds no text reads as the empty text.
class QtClipboard : public Clipboard {
public:
    std::optional<std::u16string> text() override;
    void setText(std::u16string_view text) override;
};

} // namespace orvanthe
