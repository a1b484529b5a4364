#include "form1.h"

#include "codec/class1.h"

#include <algorithm>

namespace orvanthe {
namespace {

// White space that may surround a pasted link: it is no part of the link. Copying from web
// pages and from files saved with a byte-order mark brings the invisible U+200B and U+FEFF.
bool isLinkSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u00A0' ||
           c == u'\u3000' || c == u'\uFEFF' || c == u'\u200B';
}

std::u16string_view trimmed(std::u16string_view text) {
    while (!text.empty() && isLinkSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isLinkSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char16_t asciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

bool startsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t k = 0; k < prefix.size(); ++k) {
        if (asciiLower(text[k]) != asciiLower(prefix[k])) {
            return false;
        }
    }
    return true;
}

// The character that the escape "%" `high` `low` stands for, where it is one of the escapes
// of the link's own reserved characters, or NUL.
char16_t reservedOfEscape(char16_t high, char16_t low) {
    // Each escape read: its two hex digits (the letter in either case), and the character.
    static constexpr std::array<std::array<char16_t, 3>, 5> escapes = {{
        {u'3', u'a', u':'},
        {u'2', u'f', u'/'},
        {u'2', u'b', u'+'},
        {u'3', u'd', u'='},
        {u'2', u'6', u'&'},
    }};
    for (const auto& [digit, letter, reserved] : escapes) {
        if (high == digit && asciiLower(low) == letter) {
            return reserved;
        }
    }
    return u'\0';
}

// `text` with the escapes of ":", "/", "+", "=" and "&" read, as a link carried inside
// another address arrives ("thunder%3A%2F%2F...%3D"). Every other "%" stays as it is, and
// nothing is read twice ("%253A" stays).
std::u16string unescapedLink(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    std::size_t copied = 0; // text before this is in the result
    for (std::size_t at = findUnit(text, u'%'); at + 2 < text.size();
         at = findUnit(text, u'%', at + 1)) {
        if (const char16_t reserved = reservedOfEscape(text[at + 1], text[at + 2])) {
            result.append(text.substr(copied, at - copied));
            result.push_back(reserved);
            copied = at + 3;
        }
    }
    result.append(text.substr(copied));
    return result;
}

// The body of the link `text`: every occurrence of `scheme` removed, left to right and not
// overlapping, ignoring ASCII case, and each space behind the first of them read as the "+"
// that a web form turned into it. Looks for the scheme's ":" and checks around it, so that
// the long Base64 body between schemes is copied in one piece.
std::u16string linkBody(std::u16string_view text, std::u16string_view scheme) {
    const std::size_t colon = scheme.find(u':');
    std::u16string result;
    result.reserve(text.size());
    std::size_t copied = 0;                       // text before this is in the result or removed
    std::size_t bodyStart = std::u16string::npos; // in the result, behind the first scheme
    for (std::size_t at = findUnit(text, u':', colon); at < text.size();
         at = findUnit(text, u':', std::max(at + 1, copied + colon))) {
        const std::size_t start = at - colon;
        if (startsWithNoCase(text.substr(start), scheme)) {
            result.append(text.substr(copied, start - copied));
            bodyStart = std::min(bodyStart, result.size());
            copied = start + scheme.size();
        }
    }
    result.append(text.substr(copied));
    if (bodyStart != std::u16string::npos) {
        for (std::size_t at = findUnit(result, u' ', bodyStart); at < result.size();
             at = findUnit(result, u' ', at + 1)) {
            result[at] = u'+';
        }
    }
    return result;
}

// The body of the link in a link field: white space around it dropped first, then the
// escapes of reserved characters read (where there is a "%"), then the scheme removed.
std::u16string bodyOfLink(std::u16string_view link, std::u16string_view scheme) {
    link = trimmed(link);
    if (findUnit(link, u'%') == link.size()) {
        return linkBody(link, scheme);
    }
    return linkBody(unescapedLink(link), scheme);
}

// The link of the form `form` as it is taken apart: white space around it dropped, the
// escapes of reserved characters read, and each space in its body (up to where a tail
// begins) read as "+". Its scheme stays as it was written.
std::u16string mendedLink(std::u16string_view link, const LinkForm& form) {
    const std::u16string_view scheme = form.scheme;
    link = trimmed(link);
    std::u16string mended =
        findUnit(link, u'%') == link.size() ? std::u16string(link) : unescapedLink(link);
    std::size_t at = 0;
    while (!startsWithNoCase(std::u16string_view(mended).substr(at), scheme)) {
        if (++at + scheme.size() > mended.size()) {
            return mended; // no scheme, so no body
        }
    }
    const std::size_t end =
        form.tail.empty() ? mended.size() : findUnit(mended, form.tail.front(), at);
    for (at = findUnit(mended, u' ', at); at < end; at = findUnit(mended, u' ', at + 1)) {
        mended[at] = u'+';
    }
    return mended;
}

std::u16string_view withoutPrefix(std::u16string_view text, std::u16string_view prefix) {
    return text.starts_with(prefix) ? text.substr(prefix.size()) : text;
}

std::u16string_view withoutSuffix(std::u16string_view text, std::u16string_view suffix) {
    return text.ends_with(suffix) ? text.substr(0, text.size() - suffix.size()) : text;
}

// Takes `link`, of the form `form`, apart into its address, which it leaves in `work`. Every
// intermediate text passes through `work`, so each is cut at its first NUL there: the
// decoder's trailing NULs never reach the address.
void takeLinkApart(const LinkForm& form, std::u16string_view link, Field& work) {
    const Class1 codec;
    work.assign(bodyOfLink(link, form.scheme));
    if (!form.tail.empty()) {
        // The body ends where a tail begins: what follows, whatever it says, is no Base64.
        work.assign(
            std::u16string_view(work.text()).substr(0, findUnit(work.text(), form.tail.front())));
    }
    work.assign(codec.Base64Decode(work.text()));
    if (!form.head.empty()) {
        work.assign(withoutPrefix(work.text(), form.head));
    }
    if (!form.end.empty()) {
        work.assign(withoutSuffix(work.text(), form.end));
    }
}

} // namespace

Form1::Form1(Clipboard& clipboard)
    : clipboard_(clipboard), fields_{Field(),      Field(),      Field(),     Field(),
                                     Field(u"xl"), Field(u"kc"), Field(u"xf")} {}

void Form1::run(CommandId command) {
    for (const LinkForm& form : linkForms) {
        if (command == form.paste) {
            paste(form.field);
        } else if (command == form.copy) {
            copy(form.field);
        } else if (command == form.convert && form.work) {
            toAddress(form);
        } else if (command == form.convert) {
            toLinks();
        }
    }
}

bool Form1::fill(FieldId id, std::u16string_view pasted) {
    pasted = pasted.substr(0, findUnit(pasted, u'\0')); // all that a field takes of it
    at(id).assign(pasted);
    takeApart(id);
    toLinks();

    // A link rebuilt from an address with characters the code page lacks names another
    // address (with "?" in their place), as does one whose bytes read another way; the link
    // the user gave is kept instead, mended as it was read. A link rebuilt as it was pasted,
    // the usual case, takes apart alike without a look.
    const LinkForm& form = formOf(id);
    if (!form.work || text(id) == trimmed(pasted) || givesBack(id)) {
        return false;
    }
    at(id).assign(mendedLink(pasted, form));
    return true;
}

bool Form1::givesBack(FieldId link) const {
    Field address;
    takeLinkApart(formOf(link), text(link), address);
    return address.text() == text(FieldId::Text1);
}

void Form1::takeApart(FieldId id) {
    if (const LinkForm& form = formOf(id); form.work) {
        toAddress(form);
    }
}

void Form1::paste(FieldId id) {
    // A clipboard that cannot be read leaves every field as it was.
    if (const auto text = clipboard_.text()) {
        fill(id, *text);
    }
}

void Form1::copy(FieldId id) {
    clipboard_.setText(text(id));
}

void Form1::toAddress(const LinkForm& link) {
    Field& work = at(*link.work);
    takeLinkApart(link, text(link.field), work);
    at(FieldId::Text1).assign(work.text());
}

void Form1::toLinks() {
    const Class1 codec;
    for (const LinkForm& link : threeLinks) {
        Field& work = at(*link.work);
        work.assign({link.head, text(FieldId::Text1), link.end});
        work.assign(codec.Base64Encode(work.text()));
        at(link.field).assign({link.scheme, work.text(), link.tail});
    }
}

// clang-format off
void Form1::Command1() { run(CommandId::Command1); }
void Form1::Command2() { run(CommandId::Command2); }
void Form1::Command3() { run(CommandId::Command3); }
void Form1::Command4() { run(CommandId::Command4); }
void Form1::Command5() { run(CommandId::Command5); }
void Form1::Command6() { run(CommandId::Command6); }
void Form1::Command7() { run(CommandId::Command7); }
void Form1::Command8() { run(CommandId::Command8); }
void Form1::Command9() { run(CommandId::Command9); }
void Form1::Command10() { run(CommandId::Command10); }
void Form1::Command11() { run(CommandId::Command11); }
void Form1::Command12() { run(CommandId::Command12); }
// clang-format on

FieldId fieldOfInput(std::u16string_view input) {
    // The longest scheme, its three reserved characters escaped, fits in this many units;
    // an escape cut at the end is left alone and lies behind any scheme.
    constexpr std::size_t longestEscaped = 3 * [] {
        std::size_t longest = 0;
        for (const LinkForm& link : threeLinks) {
            longest = std::max(longest, link.scheme.size());
        }
        return longest;
    }();
    const std::u16string start = unescapedLink(trimmed(input).substr(0, longestEscaped));
    for (const LinkForm& link : threeLinks) {
        if (startsWithNoCase(start, link.scheme)) {
            return link.field;
        }
    }
    return FieldId::Text1;
}

} // namespace orvanthe
