#include "fuzz_support.h"

#include "reference.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace orvanthe::fuzz {
namespace {

using test::referenceBase64;
using test::referenceBytes;
using test::referenceText;
using test::referenceWideUtf8;

constexpr FieldId linkFields[] = {FieldId::Text2, FieldId::Text3, FieldId::Text4};
constexpr CommandId linkPastes[] = {CommandId::Command3, CommandId::Command5, CommandId::Command7};

std::uint32_t valueOf(char c) {
    if (c >= 'A' && c <= 'Z') {
        return std::uint32_t(c - 'A');
    }
    if (c >= 'a' && c <= 'z') {
        return std::uint32_t(c - 'a' + 26);
    }
    if (c >= '0' && c <= '9') {
        return std::uint32_t(c - '0' + 52);
    }
    return c == '+' ? 62 : c == '/' ? 63 : 0;
}

// For each UTF-16 unit: does the code page hold it as a character that reads back as itself?
const std::array<bool, 0x10000>& codePageHas() {
    static const auto table = [] {
        auto has = std::make_unique<std::array<bool, 0x10000>>();
        for (char32_t unit = 1; unit <= 0xFFFF; ++unit) {
            const std::u16string text(1, char16_t(unit));
            (*has)[unit] =
                (unit < 0xD800 || unit > 0xDFFF) && referenceText(referenceBytes(text)) == text;
        }
        return has;
    }();
    return *table;
}

} // namespace

std::u16string unitsOf(std::span<const std::uint8_t> bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t k = 0; k < units.size(); ++k) {
        units[k] = char16_t(bytes[2 * k] | bytes[2 * k + 1] << 8);
    }
    return units;
}

void fail(const char* what, std::u16string_view text) {
    std::fprintf(stderr, "\nproperty broken: %s\ntext (%zu units):", what, text.size());
    for (std::size_t k = 0; k < text.size() && k < 400; ++k) {
        const char16_t unit = text[k];
        if (unit >= 0x20 && unit < 0x7F) {
            std::fputc(int(unit), stderr);
        } else {
            std::fprintf(stderr, "\\u%04X", unsigned(unit));
        }
    }
    std::fputc('\n', stderr);
    std::abort();
}

std::u16string codePageCharacters(std::u16string_view text) {
    const auto& has = codePageHas();
    std::u16string kept;
    for (const char16_t unit : text) {
        if (has[unit]) {
            kept.push_back(unit);
        }
    }
    return kept;
}

std::size_t ansiSize(std::u16string_view text) {
    return referenceBytes(text).size();
}

std::u16string referenceDecode(std::u16string_view body) {
    const std::string input = referenceBytes(body);
    std::string bytes;
    for (std::size_t i = 0; i + 1 < input.size(); i += 4) {
        std::uint32_t group = 0;
        for (std::size_t k = i; k < i + 4; ++k) {
            group = group << 6 | (k < input.size() ? valueOf(input[k]) : 0);
        }
        bytes += {char(group >> 16), char(group >> 8), char(group)};
    }
    // A spare zero; a lone last character leaves one more.
    bytes.append(input.size() % 4 == 1 ? 2 : 1, '\0');

    const std::string kept = bytes.substr(0, bytes.find('\0'));
    if (const auto utf8 = referenceWideUtf8(kept)) {
        return *utf8 + referenceText(std::string_view(bytes).substr(kept.size()));
    }
    return referenceText(bytes);
}

void requireFieldRule(const Form1& form, std::u16string_view input) {
    for (std::size_t k = 0; k < fieldCount; ++k) {
        require(form.text(FieldId(k)).find(u'\0') == std::u16string::npos, "a field holds NUL",
                input);
    }
}

std::array<std::u16string, 3> referenceLinks(std::u16string_view address) {
    const auto base64 = [](const std::u16string& text) {
        return referenceBase64(referenceBytes(text));
    };
    const std::u16string text(address);
    return {u"thunder://" + base64(u"AA" + text + u"ZZ"),
            u"flashget://" + base64(u"[FLASHGET]" + text + u"[FLASHGET]") + u"&velkaron777",
            u"qqdl://" + base64(text)};
}

void requireLinksOfAddress(const Form1& form, std::u16string_view input, FieldId pasted) {
    const std::u16string& address = form.text(FieldId::Text1);
    const auto links = referenceLinks(address);
    constexpr std::u16string_view wrappers[][2] = {
        {u"AA", u"ZZ"}, {u"[FLASHGET]", u"[FLASHGET]"}, {u"", u""}};
    for (std::size_t k = 0; k < 3; ++k) {
        const std::u16string& link = form.text(linkFields[k]);
        if (linkFields[k] != pasted) {
            require(link == links[k], "a link is not that of the address", input);
            continue;
        }
        // The reference link taken apart by the reference: body, decoded, wrapper off.
        std::u16string body = links[k].substr(links[k].find(u"//") + 2);
        body.resize(std::min(body.find(u'&'), body.size()));
        std::u16string back = referenceDecode(body);
        back.resize(back.find(u'\0'));
        const bool givesBack =
            back == std::u16string(wrappers[k][0]) + address + std::u16string(wrappers[k][1]);
        require(link == (givesBack ? links[k] : input.substr(0, input.find(u'\0'))),
                givesBack ? "a pasted link is not rebuilt though its link gives the address back"
                          : "a pasted link was replaced by one that names another address",
                input);
    }
}

void requireRoundTrip(Form1& form, test::FakeClipboard& clipboard, std::u16string_view address) {
    clipboard.held = false;
    clipboard.content = address;
    form.run(CommandId::Command1);
    require(form.text(FieldId::Text1) == address, "a pasted address changed", address);
    requireLinksOfAddress(form, address);

    const std::u16string expected =
        referenceWideUtf8(referenceBytes(address)).value_or(std::u16string(address));
    const std::u16string links[] = {form.text(FieldId::Text2), form.text(FieldId::Text3),
                                    form.text(FieldId::Text4)};
    for (std::size_t k = 0; k < 3; ++k) {
        clipboard.content = links[k];
        form.run(linkPastes[k]);
        require(form.text(FieldId::Text1) == expected, "a link did not give its address back",
                links[k]);
        require(expected != address || form.text(linkFields[k]) == links[k],
                "a link did not rebuild itself", links[k]);
        requireFieldRule(form, links[k]);
    }
}

} // namespace orvanthe::fuzz
