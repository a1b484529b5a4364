// The link-to-http commands (Command9, Command10, Command11) on any text in their link field.
#include "fuzz_support.h"
#include "reference.h"

using namespace orvanthe;
using namespace orvanthe::fuzz;
using namespace orvanthe::test;

namespace {

struct Conversion {
    FieldId link;
    FieldId work;
    CommandId command;
};
constexpr Conversion conversions[] = {
    {FieldId::Text2, FieldId::xl, CommandId::Command9},
    {FieldId::Text3, FieldId::kc, CommandId::Command10},
    {FieldId::Text4, FieldId::xf, CommandId::Command11},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string input = unitsOf({data, size});
    FakeClipboard clipboard;
    Form1 form(clipboard);

    for (const auto& [link, work, command] : conversions) {
        form.setText(FieldId::Text1, u"old address");
        form.setText(link, input);
        const Form1 before = form;
        form.run(command);

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
        spaced.setText(link, u" \t\u3000" + form.text(link) + u"\r\n\u00A0");
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
