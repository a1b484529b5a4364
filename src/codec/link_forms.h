#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace orvanthe {

// The seven fields of the window: the four the user sees and the three work fields
// through which every intermediate text of a conversion passes.
enum class FieldId : std::uint8_t {
    Text1, // the http address
    Text2, // the thunder link
    Text3, // the flashget link
    Text4, // the qqdl link
    xl,    // work field of the thunder conversions
    kc,    // work field of the flashget conversions
    xf,    // work field of the qqdl conversions
};
inline constexpr std::size_t fieldCount = 7;

// The window's twelve commands, each bound to the button of the same name.
enum class CommandId : std::uint8_t {
    Command1,  // "<<<" beside the http address: paste, then build the three links
    Command2,  // ">>>" beside the http address: copy
    Command3,  // "<<<" beside the thunder link: paste, take it apart, rebuild all
    Command4,  // ">>>" beside the thunder link: copy
    Command5,  // "<<<" beside the flashget link: paste, take it apart, rebuild all
    Command6,  // ">>>" beside the flashget link: copy
    Command7,  // "<<<" beside the qqdl link: paste, take it apart, rebuild all
    Command8,  // ">>>" beside the qqdl link: copy
    Command9,  // thunder link -> http address
    Command10, // flashget link -> http address
    Command11, // qqdl link -> http address
    Command12, // http address -> all three links
};
inline constexpr std::size_t commandCount = 12;

// One form of a download address. A link is its scheme, then the Base64 of the code page
// bytes of head + address + end, then its tail; the http address is the address itself.
// All of a form's texts are ASCII.
struct LinkForm {
    std::string_view name; // as the command-line tool names the form
    std::u16string_view scheme;
    std::u16string_view head;
    std::u16string_view end;
    std::u16string_view tail; // begins with "&", which ends the Base64 body
    FieldId field;            // the visible field that shows the form
    std::optional<FieldId> work;
    CommandId paste;
    CommandId copy;
    CommandId convert; // a link into the address; the address into all three links
};

// The forms in the order of their fields Text1 - Text4.
inline constexpr std::array<LinkForm, 4> linkForms = {{
    // clang-format off
    {"http",     u"",            u"",           u"",           u"",
     FieldId::Text1, std::nullopt, CommandId::Command1, CommandId::Command2, CommandId::Command12},
    {"thunder",  u"thunder://",  u"AA",         u"ZZ",         u"",
     FieldId::Text2, FieldId::xl,  CommandId::Command3, CommandId::Command4, CommandId::Command9},
    {"flashget", u"flashget://", u"[FLASHGET]", u"[FLASHGET]", u"&velkaron777",
     FieldId::Text3, FieldId::kc,  CommandId::Command5, CommandId::Command6, CommandId::Command10},
    {"qqdl",     u"qqdl://",     u"",           u"",           u"",
     FieldId::Text4, FieldId::xf,  CommandId::Command7, CommandId::Command8, CommandId::Command11},
    // clang-format on
}};

// The form that the visible field `field` shows.
constexpr const LinkForm& formOf(FieldId field) {
    return linkForms[std::size_t(field)];
}
static_assert([] {
    for (std::size_t k = 0; k < linkForms.size(); ++k) {
        if (linkForms[k].field != FieldId(k)) {
            return false;
        }
    }
    return true;
}());

// The three links: the forms after the http address.
inline constexpr std::span<const LinkForm, 3> threeLinks(linkForms.data() + 1, 3);

} // namespace orvanthe
