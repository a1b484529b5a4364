#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvanthe {

// The platform's clipboard, in plain text both ways. Each window supplies one.
class Clipboard {
public:
    virtual ~Clipboard() = default;

    // The clipboard's text: empty when it holds no text; nothing when it cannot be read
    // at the moment (held by another program), in which case a paste changes no field.
    virtual std::optional<std::u16string> text() = 0;

    virtual void setText(std::u16string_view text) = 0;
};

} // namespace orvanthe
