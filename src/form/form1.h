#pragma once

#include "clipboard.h"
#include "codec/link_forms.h"
#include "field.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace orvanthe {

// The window's logic, apart from any toolkit: it owns the fields and runs the commands.
// A window maps its edits to fields and its buttons to commands, passes on what the user
// types with setText, and shows the fields whose revision a command changed.
class Form1 {
public:
    explicit Form1(Clipboard& clipboard);

    const Field& field(FieldId id) const { return fields_[std::size_t(id)]; }
    const std::u16string& text(FieldId id) const { return field(id).text(); }
    void setText(FieldId id, std::u16string_view text) { at(id).assign(text); }

    void run(CommandId command);

    // Runs `command`, then `show` (a window showing what the command wrote), as one step:
    // should either throw (memory running out, say), every field is put back as it was
    // before the command, revision and all, and the exception passes on.
    template <typename Show>
    void run(CommandId command, Show&& show);

    // What a paste of `pasted` into the visible field `id` does: the field takes the text,
    // a link is taken apart into the http address, and all four forms are filled in. Where
    // the link rebuilt in a link field `id` would not take apart to that address, the field
    // keeps the pasted link instead, mended as it was read (white space around it dropped,
    // escapes of its reserved characters read, spaces in its body read as "+"), and the
    // result is true. `pasted` is no field's text.
    bool fill(FieldId id, std::u16string_view pasted);

    // Whether the link in the link field `link` takes apart to the http address in Text1.
    bool givesBack(FieldId link) const;

    // Takes the link in the link field `id` apart into the http address, as its button
    // does; the http address field has nothing to take apart.
    void takeApart(FieldId id);

    void Command1();
    void Command2();
    void Command3();
    void Command4();
    void Command5();
    void Command6();
    void Command7();
    void Command8();
    void Command9();
    void Command10();
    void Command11();
    void Command12();

private:
    Field& at(FieldId id) { return fields_[std::size_t(id)]; }
    // False for the copy commands, the only ones that write no field.
    static constexpr bool writesFields(CommandId command) {
        for (const LinkForm& form : linkForms) {
            if (command == form.copy) {
                return false;
            }
        }
        return true;
    }
    void paste(FieldId id);
    void copy(FieldId id);
    // Takes the link in the field of `link` apart into the http address, through its work field.
    void toAddress(const LinkForm& link);
    // Builds the three links of the http address, each through its work field.
    void toLinks();

    Clipboard& clipboard_;
    std::array<Field, fieldCount> fields_;
};

template <typename Show>
void Form1::run(CommandId command, Show&& show) {
    // Taken before anything changes: should the copy itself fail, nothing has.
    std::optional<std::array<Field, fieldCount>> before;
    if (writesFields(command)) {
        before.emplace(fields_);
    }
    try {
        run(command);
        show();
    } catch (...) {
        static_assert(std::is_nothrow_move_assignable_v<Field>, "putting back cannot fail");
        if (before) {
            fields_ = std::move(*before);
        }
        throw;
    }
}

// The visible field that `input` belongs in: the link field whose scheme its first
// characters other than white space are (in any case, its ":" and "/" maybe escaped as in
// "thunder%3A%2F%2F"), or else the http address field.
FieldId fieldOfInput(std::u16string_view input);

} // namespace orvanthe
