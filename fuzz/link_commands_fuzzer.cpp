// The link-to-http commands (Command9, Command10, Command11) on any text in their link field.
#include "fuzz_support.h"
#include "reference.h"

#include <algorithm>
#include <tuple>

using namespace orvanthe;
using namespace orvanthe::fuzz;
using namespace orvanthe::test;

namespace {

struct Conversion {
    FieldId link;
    FieldId work;
    CommandId command;
    std::u16string_view scheme;
    std::u16string_view wrapperFront; // around the address before encoding
    std::u16string_view wrapperBack;
    bool tail; // the body ends at the first "&"
};
constexpr Conversion conversions[] = {
    {FieldId::Text2, FieldId::xl, CommandId::Command9, u"thunder://", u"AA", u"ZZ", false},
    {FieldId::Text3, FieldId::kc, CommandId::Command10, u"flashget://", u"[FLASHGET]",
     u"[FLASHGET]", true},
    {FieldId::Text4, FieldId::xf, CommandId::Command11, u"qqdl://", u"", u"", false},
};

char16_t asciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

// The address in `link` worked out the plain way, one step after the other: white space off
// both ends, the escapes of ":", "/", "+", "=" and "&" read, every copy of the scheme (in any
// case) removed by trying each position and each space behind the first copy read as "+",
// the tail cut, the body decoded by the reference up to its first NUL, the wrapper taken off.
std::u16string plainAddress(const Conversion& conversion, std::u16string_view link) {
    constexpr std::u16string_view space = u" \t\r\n\u00A0\u3000\uFEFF\u200B";
    const std::size_t first = std::min(link.find_first_not_of(space), link.size());
    link = link.substr(first, link.find_last_not_of(space) + 1 - first);

    constexpr std::u16string_view escapes[] = {u"%3a:", u"%2f/", u"%2b+", u"%3d=", u"%26&"};
    std::u16string unescaped;
    for (std::size_t i = 0; i < link.size();) {
        const auto escape = std::find_if(std::begin(escapes), std::end(escapes), [&](auto e) {
            return link.size() - i >= 3 && link[i] == u'%' && link[i + 1] == e[1] &&
                   asciiLower(link[i + 2]) == e[2];
        });
        if (escape != std::end(escapes)) {
            unescaped.push_back((*escape)[3]);
            i += 3;
        } else {
            unescaped.push_back(link[i++]);
        }
    }
    link = unescaped;

    const std::u16string_view scheme = conversion.scheme;
    std::u16string body;
    bool behindScheme = false;
    for (std::size_t i = 0; i < link.size();) {
        const bool match =
            link.size() - i >= scheme.size() &&
            std::equal(scheme.begin(), scheme.end(), link.begin() + std::ptrdiff_t(i),
                       [](char16_t a, char16_t b) { return a == asciiLower(b); });
        if (match) {
            i += scheme.size();
            behindScheme = true;
        } else {
            body.push_back(behindScheme && link[i] == u' ' ? u'+' : link[i]);
            ++i;
        }
    }
    if (conversion.tail) {
        body.resize(std::min(body.find(u'&'), body.size()));
    }

    std::u16string text = referenceDecode(body);
    text.resize(text.find(u'\0'));
    if (text.starts_with(conversion.wrapperFront)) {
        text.erase(0, conversion.wrapperFront.size());
    }
    if (text.ends_with(conversion.wrapperBack)) {
        text.resize(text.size() - conversion.wrapperBack.size());
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string input = unitsOf({data, size});
    FakeClipboard clipboard;
    Form1 form(clipboard);

    for (const auto& conversion : conversions) {
        const auto [link, work, command] =
            std::tuple(conversion.link, conversion.work, conversion.command);
        form.setText(FieldId::Text1, u"old address");
        form.setText(link, input);
        const Form1 before = form;
        form.run(command);
        require(form.text(FieldId::Text1) == plainAddress(conversion, form.text(link)),
                "the address differs from the one worked out plainly", input);

        requireFieldRule(form, input);
        for (std::size_t k = 0; k < fieldCount; ++k) {
            const auto id = FieldId(k);
            require(id == FieldId::Text1 || id == work ||
                        form.field(id).revision() == before.field(id).revision(),
                    "a conversion wrote a field that is not its own", input);
        }
        require(form.text(FieldId::Text1).size() <= decodedSizeLimit(ansiSize(form.text(link))),
                "the address is longer than its link allows", input);

        // White space around a link is no part of it.
        Form1 spaced(clipboard);
        spaced.setText(link, u" \t\u3000\uFEFF" + form.text(link) + u"\r\n\u00A0\u200B");
        spaced.run(command);
        require(spaced.text(FieldId::Text1) == form.text(FieldId::Text1),
                "white space around a link changed its address", input);
    }

    // Each link that Command12 builds gives its address back.
    const std::u16string address = codePageCharacters(input);
    form.setText(FieldId::Text1, address);
    form.run(CommandId::Command12);
    requireLinksOfAddress(form, address);
    const std::u16string expected = referenceWideUtf8(referenceBytes(address)).value_or(address);
    for (const auto& conversion : conversions) {
        form.setText(FieldId::Text1, u"old address");
        form.run(conversion.command);
        require(form.text(FieldId::Text1) == expected, "a link did not give its address back",
                form.text(conversion.link));
    }
    return 0;
}
