#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace orvanthe {

// Index of the first `unit` in `text` at or after `from`, or the size of `text` when there
// is none. Fields scan every text assigned to them, so this is made to be fast.
std::size_t findUnit(std::u16string_view text, char16_t unit, std::size_t from = 0);

// One text field of the window. A field never holds NUL: assigning a text keeps only
// what precedes its first NUL. Each assignment counts, so that a window can tell which
// fields a command wrote.
class Field {
public:
    explicit Field(std::u16string_view initial = {}) { assign(initial); }

    const std::u16string& text() const { return text_; }
    std::uint64_t revision() const { return revision_; }

    // Each form of assignment keeps only what precedes the first NUL. Copying ones reuse
    // the field's storage, so that converting megabytes again and again does not ask the
    // system for fresh memory each time; `text` may be the field's own.
    void assign(std::u16string_view text);
    void assign(std::u16string&& text);
    // The texts of `parts` one after the other.
    void assign(std::initializer_list<std::u16string_view> parts);

private:
    std::u16string text_;
    std::uint64_t revision_ = 0;
};

} // namespace orvanthe
