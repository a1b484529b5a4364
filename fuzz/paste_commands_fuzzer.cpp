// The form's commands with any text: a paste of the text into any field from a clipboard that
// may be unreadable, and the copies. (The round trip of addresses is the differential test's.)
// The first byte picks the field and whether the clipboard is held; the rest is the text.
#include "fake_clipboard.h"
#include "form/form1.h"
#include "fuzz_support.h"
#include "reference.h"

#include <algorithm>

using namespace orvanthe;
using namespace orvanthe::fuzz;
using namespace orvanthe::test;

namespace {

constexpr std::u16string_view schemes[] = {u"", u"thunder://", u"flashget://", u"qqdl://"};
constexpr std::u16string_view wrappers[] = {u"", u"AA", u"[FLASHGET]", u""};
constexpr std::u16string_view wrapperEnds[] = {u"", u"ZZ", u"[FLASHGET]", u""};

char16_t asciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

// The address in link `link` of form `k` worked out the plain way, one step after the other:
// white space off both ends, the escapes of ":", "/", "+", "=" and "&" read, every copy of the
// scheme (in any case) removed by trying each place and each space behind the first read as
// "+", a flashget tail cut at "&", the body decoded by the reference up to its first NUL, the
// wrapper taken off.
std::u16string plainAddress(std::size_t k, std::u16string_view link) {
    constexpr std::u16string_view space = u" \t\r\n\u00A0\u3000\uFEFF\u200B";
    const std::size_t first = std::min(link.find_first_not_of(space), link.size());
    link = link.substr(first, link.find_last_not_of(space) + 1 - first);
    constexpr std::u16string_view escapes[] = {u"%3a:", u"%2f/", u"%2b+", u"%3d=", u"%26&"};
    std::u16string unescaped;
    for (std::size_t i = 0; i < link.size();) {
        const auto escape = std::ranges::find_if(escapes, [&](std::u16string_view e) {
            return std::ranges::equal(link.substr(i, 3), e.substr(0, 3), {}, asciiLower);
        });
        unescaped.push_back(escape == std::end(escapes) ? link[i] : (*escape)[3]);
        i += escape == std::end(escapes) ? 1u : 3u;
    }
    std::u16string body;
    bool behindScheme = false;
    for (std::size_t i = 0; i < unescaped.size();) {
        const auto rest = std::u16string_view(unescaped).substr(i, schemes[k].size());
        if (std::ranges::equal(rest, schemes[k], {}, asciiLower)) {
            i += schemes[k].size();
            behindScheme = true;
        } else {
            body.push_back(behindScheme && unescaped[i] == u' ' ? u'+' : unescaped[i]);
            ++i;
        }
    }
    if (k == 2) {
        body.resize(std::min(body.find(u'&'), body.size()));
    }
    std::u16string text = referenceDecode(body);
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
    form.fill(FieldId::Text1, u"http://a.b/c.zip");
    clipboard.content = input;
    clipboard.held = (data[0] & 4) != 0;
    const auto before = revisions(form);
    form.run(pastes[pasted]);
    require(clipboard.content == input, "a paste changed the clipboard");
    if (clipboard.held) {
        require(revisions(form) == before, "a paste from a held clipboard changed a field");
        return 0;
    }
    const std::u16string& address = form.text(FieldId::Text1);
    const auto links = referenceLinks(address);
    for (std::size_t k = 0; k < fieldCount; ++k) {
        require(form.text(FieldId(k)).find(u'\0') == std::u16string::npos, "a field holds NUL");
    }
    // Text2 - Text4 are the links of Text1; but where the link of the pasted field would not
    // give Text1 back, that field holds what was pasted.
    for (std::size_t k = 1; k < 4; ++k) {
        const bool kept = k == pasted && plainAddress(k, links[k - 1]) != address;
        require(form.text(shown[k]) == (kept ? beforeNul : links[k - 1]),
                kept ? "a pasted link was replaced by one that names another address"
                     : "a link is not that of the address");
    }
    require(form.text(FieldId::Text1) ==
                (pasted == 0 ? beforeNul : plainAddress(pasted, beforeNul)),
            "a pasted text gave another address");
    const auto pastedRevisions = revisions(form);
    for (std::size_t k = 0; k < 4; ++k) {
        form.run(copies[k]);
        require(clipboard.content == form.text(shown[k]), "a copy put another text there");
    }
    require(revisions(form) == pastedRevisions, "a copy changed a field");
    return 0;
}
