// Any text pasted into any field: the fields agree with each other, whatever was pasted (what
// a link gives is the table's and the differential test's). The first byte picks the field,
// the rest is the text.
#include "fake_clipboard.h"
#include "form/form1.h"
#include "fuzz_support.h"
#include "reference.h"

using namespace orvanthe;
using namespace orvanthe::fuzz;
using namespace orvanthe::test;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t pasted = data[0] % 4;
    const std::u16string input = unitsOf({data + 1, size - 1});
    const std::u16string beforeNul = input.substr(0, input.find(u'\0'));
    FakeClipboard clipboard;
    Form1 form(clipboard);
    form.fill(linkForms[pasted].field, input);
    const std::u16string& address = form.text(FieldId::Text1);
    require(pasted != 0 || address == beforeNul, "a pasted address was changed");
    for (std::size_t k = 0; k < fieldCount; ++k) {
        require(form.text(FieldId(k)).find(u'\0') == std::u16string::npos, "a field holds NUL");
    }
    // Text2 - Text4 are the links of Text1; but where the code page cannot carry Text1, so
    // that its links name another address, the pasted field holds the pasted link as it was
    // read, which gives Text1 again.
    const auto links = referenceLinks(address);
    const std::u16string readBack = referenceDecode(referenceBase64(referenceBytes(address)));
    const bool carried = std::u16string_view(readBack).substr(0, readBack.find(u'\0')) == address;
    for (std::size_t k = 1; k < 4; ++k) {
        if (k != pasted || carried) {
            require(form.text(linkForms[k].field) == links[k - 1],
                    "a link is not that of the address");
            continue;
        }
        Form1 again(clipboard);
        again.setText(linkForms[k].field, form.text(linkForms[k].field));
        again.takeApart(linkForms[k].field);
        require(form.text(linkForms[k].field) != links[k - 1] &&
                    again.text(FieldId::Text1) == address,
                "a pasted link was replaced by one that names another address");
    }
    return 0;
}
