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

// White space that may surround a pasted link: it is no part of the link.
bool isLinkSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u00A0' || c == u'\u3000';
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

// `text` with every occurrence of `scheme` removed, left to right and not overlapping,
// ignoring ASCII case. Looks for the scheme's ":" and checks around it, so that the long
// Base64 body between schemes is copied in one piece.
std::u16string removeSchemeNoCase(std::u16string_view text, std::u16string_view scheme) {
    const std::size_t colon = scheme.find(u':');
    std::u16string result;
    result.reserve(text.size());
    std::size_t copied = 0; // text before this is in the result or removed
    for (std::size_t at = findUnit(text, u':', colon); at < text.size();
         at = findUnit(text, u':', std::max(at + 1, copied + colon))) {
        const std::size_t start = at - colon;
        if (startsWithNoCase(text.substr(start), scheme)) {
            result.append(text.substr(copied, start - copied));
            copied = start + scheme.size();
        }
    }
    result.append(text.substr(copied));
    return result;
}

std::u16string_view withoutPrefix(std::u16string_view text, std::u16string_view prefix) {
    return text.starts_with(prefix) ? text.substr(prefix.size()) : text;
}

std::u16string_view withoutSuffix(std::u16string_view text, std::u16string_view suffix) {
    return text.ends_with(suffix) ? text.substr(0, text.size() - suffix.size()) : text;
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

void Form1::fill(FieldId id, std::u16string_view text) {
    at(id).assign(text);
    takeApart(id);
    Command12();
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

// Each conversion passes every intermediate text through its work field, so each is cut
// at its first NUL there: the decoder's trailing NULs never reach the address.

void Form1::Command9() {
    const Class1 codec;
    Field& xl = at(FieldId::xl);
    xl.assign(removeSchemeNoCase(trimmed(text(FieldId::Text2)), thunderScheme));
    xl.assign(codec.Base64Decode(xl.text()));
    xl.assign(withoutPrefix(xl.text(), u"AA"));
    xl.assign(withoutSuffix(xl.text(), u"ZZ"));
    at(FieldId::Text1).assign(xl.text());
}

void Form1::Command10() {
    const Class1 codec;
    Field& kc = at(FieldId::kc);
    kc.assign(removeSchemeNoCase(trimmed(text(FieldId::Text3)), flashgetScheme));
    // The body ends at the first "&": the tail behind it, whatever it says, is no Base64.
    kc.assign(std::u16string_view(kc.text()).substr(0, findUnit(kc.text(), u'&')));
    kc.assign(codec.Base64Decode(kc.text()));
    kc.assign(withoutPrefix(kc.text(), flashgetWrapper));
    kc.assign(withoutSuffix(kc.text(), flashgetWrapper));
    at(FieldId::Text1).assign(kc.text());
}

void Form1::Command11() {
    const Class1 codec;
    Field& xf = at(FieldId::xf);
    xf.assign(removeSchemeNoCase(trimmed(text(FieldId::Text4)), qqdlScheme));
    xf.assign(codec.Base64Decode(xf.text()));
    at(FieldId::Text1).assign(xf.text());
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
    const std::u16string_view link = trimmed(input);
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
