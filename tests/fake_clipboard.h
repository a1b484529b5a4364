#pragma once

#include "form/form1.h"

#include <optional>
#include <string>
#include <vector>

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

// Each of Text1 - Text4 with its paste, its copy, and the command that converts what it holds:
// Text1 is built into the links, each link is taken apart into Text1.
constexpr FieldId shown[] = {FieldId::Text1, FieldId::Text2, FieldId::Text3, FieldId::Text4};
constexpr CommandId pastes[] = {CommandId::Command1, CommandId::Command3, CommandId::Command5,
                                CommandId::Command7};
constexpr CommandId copies[] = {CommandId::Command2, CommandId::Command4, CommandId::Command6,
                                CommandId::Command8};
constexpr CommandId converts[] = {CommandId::Command12, CommandId::Command9, CommandId::Command10,
                                  CommandId::Command11};

// The revision of every field: a field whose revision stayed was not written.
inline std::vector<std::uint64_t> revisions(const Form1& form) {
    std::vector<std::uint64_t> all;
    for (std::size_t k = 0; k < fieldCount; ++k) {
        all.push_back(form.field(FieldId(k)).revision());
    }
    return all;
}

} // namespace orvanthe::test
