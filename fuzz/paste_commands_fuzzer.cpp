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

namespace {

// The address in a link of form `k` as the program builds them: the scheme off, a flashget
// tail cut at "&", the body decoded by the reference up to its first NUL, the wrapper off.
std::u16string addressOf(std::size_t k, std::u16string_view link) {
    constexpr std::u16string_view schemes[] = {u"", u"thunder://", u"flashget://", u"qqdl://"};
    constexpr std::u16string_view wrappers[] = {u"", u"AA", u"[FLASHGET]", u""};
    constexpr std::u16string_view wrapperEnds[] = {u"", u"ZZ", u"[FLASHGET]", u""};
    link.remove_prefix(schemes[k].size());
    std::u16string text = referenceDecode(link.substr(0, k == 2 ? link.find(u'&') : link.npos));
    text.resize(text.find(u'\0'));
    if (text.starts_with(wrappers[k])) {
        text.erase(0, wrappers[k].size());
    }
    if (text.ends_with(wrapperEnds[k])) {
        text.resize(text.size() - wrapperEnds[k].size());
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t pasted = data[0] % 4;
    const std::u16string input = unitsOf({data + 1, size - 1});
    const std::u16string beforeNul = input.substr(0, input.find(u'\0'));
    FakeClipboard clipboard;
    Form1 form(clipboard);
    form.fill(shown[pasted], input);
    const std::u16string& address = form.text(FieldId::Text1);
    require(pasted != 0 || address == beforeNul, "a pasted address was changed");
    for (std::size_t k = 0; k < fieldCount; ++k) {
        require(form.text(FieldId(k)).find(u'\0') == std::u16string::npos, "a field holds NUL");
    }
    // Text2 - Text4 are the links of Text1; but where the link of the pasted field would not
    // give Text1 back, that field holds what was pasted.
    const auto links = referenceLinks(address);
    for (std::size_t k = 1; k < 4; ++k) {
        const bool kept = k == pasted && addressOf(k, links[k - 1]) != address;
        require(form.text(shown[k]) == (kept ? beforeNul : links[k - 1]),
                kept ? "a pasted link was replaced by one that names another address"
                     : "a link is not that of the address");
    }
    return 0;
}
