#include "form1.h"

#include "codec/class1.h"

#include <algorithm>

namespace orvanthe {
namespace {

constexpr std::u16string_view thunderScheme = u"thunder://";
constexpr std::u16string_view flashgetScheme = u"flashget://";
constexpr std::u16string_view qqdlScheme = u"qqdl://";
constexpr std::u16string_view flashgetWrapper = u"[FLASHGET]";
constexpr std::u16string_view flashgetTail = u"&velkaron777";

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

// The link in a link field as it is taken apart: white space around it dropped, the escapes
// of reserved characters read, and each space in its body (for flashget, up to the first "&")
// read as "+". Its scheme stays as it was written.
std::u16string mendedLink(std::u16string_view link, std::u16string_view scheme) {
    link = trimmed(link);
    std::u16string mended =
        findUnit(link, u'%') == link.size() ? std::u16string(link) : unescapedLink(link);
    std::size_t at = 0;
    while (!startsWithNoCase(std::u16string_view(mended).substr(at), scheme)) {
        if (++at + scheme.size() > mended.size()) {
            return mended; // no scheme, so no body
        }
    }
    const std::size_t end = scheme == flashgetScheme ? findUnit(mended, u'&', at) : mended.size();
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

// Each takes `link` apart into its address, which it leaves in `work`. Every intermediate
// text passes through `work`, so each is cut at its first NUL there: the decoder's trailing
// NULs never reach the address.

void thunderAddress(std::u16string_view link, Field& xl) {
    const Class1 codec;
    xl.assign(bodyOfLink(link, thunderScheme));
    xl.assign(codec.Base64Decode(xl.text()));
    xl.assign(withoutPrefix(xl.text(), u"AA"));
    xl.assign(withoutSuffix(xl.text(), u"ZZ"));
}

void flashgetAddress(std::u16string_view link, Field& kc) {
    const Class1 codec;
    kc.assign(bodyOfLink(link, flashgetScheme));
    // The body ends at the first "&": the tail behind it, whatever it says, is no Base64.
    kc.assign(std::u16string_view(kc.text()).substr(0, findUnit(kc.text(), u'&')));
    kc.assign(codec.Base64Decode(kc.text()));
    kc.assign(withoutPrefix(kc.text(), flashgetWrapper));
    kc.assign(withoutSuffix(kc.text(), flashgetWrapper));
}

void qqdlAddress(std::u16string_view link, Field& xf) {
    const Class1 codec;
    xf.assign(bodyOfLink(link, qqdlScheme));
    xf.assign(codec.Base64Decode(xf.text()));
}

using AddressOf = void (*)(std::u16string_view, Field&);

// How the link of the visible field `id` is taken apart, and its scheme; nothing for the
// http address.
std::pair<AddressOf, std::u16string_view> linkFormIn(FieldId id) {
    switch (id) {
    case FieldId::Text2:
        return {thunderAddress, thunderScheme};
    case FieldId::Text3:
        return {flashgetAddress, flashgetScheme};
    case FieldId::Text4:
        return {qqdlAddress, qqdlScheme};
    default:
        return {nullptr, {}};
    }
}

} // namespace

Form1::Form1(Clipboard& clipboard)
    : clipboard_(clipboard), fields_{Field(),      Field(),      Field(),     Field(),
                                     Field(u"xl"), Field(u"kc"), Field(u"xf")} {}

void Form1::run(CommandId command) {
    static constexpr std::array<void (Form1::*)(), commandCount> commands = {
        &Form1::Command1, &Form1::Command2,  &Form1::Command3,  &Form1::Command4,
        &Form1::Command5, &Form1::Command6,  &Form1::Command7,  &Form1::Command8,
        &Form1::Command9, &Form1::Command10, &Form1::Command11, &Form1::Command12,
    };
    (this->*commands[std::size_t(command)])();
}

bool Form1::fill(FieldId id, std::u16string_view pasted) {
    pasted = pasted.substr(0, findUnit(pasted, u'\0')); // all that a field takes of it
    at(id).assign(pasted);
    takeApart(id);
    Command12();

    // A link rebuilt from an address with characters the code page lacks names another
    // address (with "?" in their place), as does one whose bytes read another way; the link
    // the user gave is kept instead, mended as it was read. A link rebuilt as it was pasted,
    // the usual case, takes apart alike without a look.
    const auto [addressOf, scheme] = linkFormIn(id);
    if (!addressOf || text(id) == trimmed(pasted) || givesBack(id)) {
        return false;
    }
    at(id).assign(mendedLink(pasted, scheme));
    return true;
}

bool Form1::givesBack(FieldId link) const {
    Field address;
    linkFormIn(link).first(text(link), address);
    return address.text() == text(FieldId::Text1);
}

void Form1::takeApart(FieldId id) {
    switch (id) {
    case FieldId::Text2:
        Command9();
        break;
    case FieldId::Text3:
        Command10();
        break;
    case FieldId::Text4:
        Command11();
        break;
    default:
        break;
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

void Form1::Command1() {
    paste(FieldId::Text1);
}
void Form1::Command2() {
    copy(FieldId::Text1);
}
void Form1::Command3() {
    paste(FieldId::Text2);
}
void Form1::Command4() {
    copy(FieldId::Text2);
}
void Form1::Command5() {
    paste(FieldId::Text3);
}
void Form1::Command6() {
    copy(FieldId::Text3);
}
void Form1::Command7() {
    paste(FieldId::Text4);
}
void Form1::Command8() {
    copy(FieldId::Text4);
}

void Form1::Command9() {
    thunderAddress(text(FieldId::Text2), at(FieldId::xl));
    at(FieldId::Text1).assign(text(FieldId::xl));
}

void Form1::Command10() {
    flashgetAddress(text(FieldId::Text3), at(FieldId::kc));
    at(FieldId::Text1).assign(text(FieldId::kc));
}

void Form1::Command11() {
    qqdlAddress(text(FieldId::Text4), at(FieldId::xf));
    at(FieldId::Text1).assign(text(FieldId::xf));
}

void Form1::Command12() {
    const Class1 codec;
    Field& xl = at(FieldId::xl);
    Field& kc = at(FieldId::kc);
    Field& xf = at(FieldId::xf);
    xl.assign({u"AA", text(FieldId::Text1), u"ZZ"});
    xl.assign(codec.Base64Encode(xl.text()));
    at(FieldId::Text2).assign({thunderScheme, xl.text()});
    kc.assign({flashgetWrapper, text(FieldId::Text1), flashgetWrapper});
    kc.assign(codec.Base64Encode(kc.text()));
    at(FieldId::Text3).assign({flashgetScheme, kc.text(), flashgetTail});
    xf.assign(text(FieldId::Text1));
    xf.assign(codec.Base64Encode(xf.text()));
    at(FieldId::Text4).assign({qqdlScheme, xf.text()});
}

FieldId fieldOfInput(std::u16string_view input) {
    // The longest scheme, its three reserved characters escaped, fits in this many units;
    // an escape cut at the end is left alone and lies behind any scheme.
    constexpr std::size_t longestEscaped = 3 * flashgetScheme.size();
    const std::u16string start = unescapedLink(trimmed(input).substr(0, longestEscaped));
    const std::u16string_view link = start;
    if (startsWithNoCase(link, thunderScheme)) {
        return FieldId::Text2;
    }
    if (startsWithNoCase(link, flashgetScheme)) {
        return FieldId::Text3;
    }
    if (startsWithNoCase(link, qqdlScheme)) {
        return FieldId::Text4;
    }
    return FieldId::Text1;
}

} // namespace orvanthe
