#pragma once

#include "form/clipboard.h"

#include <optional>
#include <string>

namespace orvanthe::test {

// A clipboard in memory; `held` makes it unreadable, as when another program holds it.
class FakeClipboard : public Clipboard {
public:
    std::optional<std::u16string> text() override {
        if (held) {
            return std::nullopt;
        }
        return content;
    }
    void setText(std::u16string_view text) override { content = text; }

    std::u16string content;
    bool held = false;
};

} // namespace orvanthe::test
