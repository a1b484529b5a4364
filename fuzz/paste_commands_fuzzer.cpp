// The paste commands (Command1, 3, 5, 7) with any clipboard text, or a clipboard that cannot
// be read. The first byte picks the command and whether the clipboard is held; the rest is
// the clipboard's text.
#include "fuzz_support.h"

using namespace orvanthe;
using namespace orvanthe::fuzz;
using orvanthe::test::FakeClipboard;

namespace {

constexpr CommandId pastes[] = {CommandId::Command1, CommandId::Command3, CommandId::Command5,
                                CommandId::Command7};
constexpr std::pair<CommandId, FieldId> copies[] = {
    {CommandId::Command2, FieldId::Text1},
    {CommandId::Command4, FieldId::Text2},
    {CommandId::Command6, FieldId::Text3},
    {CommandId::Command8, FieldId::Text4},
};

bool sameRevisions(const Form1& a, const Form1& b) {
    for (std::size_t k = 0; k < fieldCount; ++k) {
        if (a.field(FieldId(k)).revision() != b.field(FieldId(k)).revision()) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    const std::u16string input = unitsOf({data + 1, size - 1});
    FakeClipboard clipboard;
    Form1 form(clipboard);
    form.fill(FieldId::Text1, u"http://a.b/c.zip");

    const std::size_t pasted = mode % 4;
    clipboard.content = input;
    clipboard.held = (mode & 4) != 0;
    const Form1 before = form;
    form.run(pastes[pasted]);

    require(clipboard.content == input, "a paste changed the clipboard", input);
    if (clipboard.held) {
        require(sameRevisions(form, before), "a paste from a held clipboard changed a field",
                input);
        return 0;
    }
    requireFieldRule(form, input);
    requireLinksOfAddress(form, input, FieldId(pasted));
    if (pasted == 0) {
        require(form.text(FieldId::Text1) == input.substr(0, input.find(u'\0')),
                "a pasted address changed", input);
    } else {
        require(form.text(FieldId::Text1).size() <= decodedSizeLimit(ansiSize(input)),
                "the address is longer than its link allows", input);
    }

    const Form1 pastedForm = form;
    for (const auto& [copy, field] : copies) {
        form.run(copy);
        require(clipboard.content == form.text(field), "a copy put another text on the clipboard",
                input);
    }
    require(sameRevisions(form, pastedForm), "a copy changed a field", input);

    requireRoundTrip(form, clipboard, codePageCharacters(input));
    return 0;
}
