// The codec and the form logic against code nobody here wrote: ICU's bulk conversion and
// OpenSSL's Base64, on random texts and on every code.
#include "cases.h"
#include "cli/link_tool.h"
#include "codec/base64.h"
#include "codec/class1.h"
#include "codec/code_page.h"
#include "codec/utf8.h"
#include "fake_clipboard.h"
#include "form/form1.h"
#include "reference.h"
#include "string_streams.h"

#include <array>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <span>

namespace orvanthe {
namespace {

using namespace orvanthe::test;

// Random texts from a fixed seed, so that a failure repeats: each piece one of `pieces`.
template <class Text>
Text randomText(std::mt19937& random, std::span<const Text> pieces, std::size_t maxPieces) {
    Text text;
    for (std::size_t n = random() % (maxPieces + 1); n > 0; --n) {
        text += pieces[random() % pieces.size()];
    }
    return text;
}

// Every UTF-16 unit encoded, and every code of one or two bytes decoded, as the references do.
TEST(Differential, EveryUnitAndEveryCode) {
    const Class1 codec;
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const std::u16string text(1, char16_t(unit));
        ASSERT_EQ(codec.Base64Encode(text), referenceBase64(referenceBytes(text))) << int(unit);
        const std::u16string body = referenceBase64(
            unit < 0x80 ? std::string(1, char(unit)) : std::string{char(unit >> 8), char(unit)});
        ASSERT_EQ(codec.Base64Decode(body), referenceDecode(body)) << int(unit);
    }
}

// A file name of 1 to 8 characters drawn by `character`, in up to three runs between ASCII
// parts, in an address.
template <class Draw>
std::u16string nameAddress(std::mt19937& random, Draw character) {
    static const std::u16string ascii[] = {u"-", u"_", u" ", u"1", u"v2", u"(", u")", u"."};
    std::u16string name;
    const std::size_t count = 1 + random() % 8;
    for (std::size_t k = 0; k < count; ++k) {
        if (k > 0 && random() % 4 == 0) {
            name += ascii[random() % std::size(ascii)];
        }
        name += character();
    }
    return u"http://x.cn/" + name + u".rar";
}

// Chinese names give their links, and UTF-8 links of Chinese, Korean and Japanese names give
// their names, back: at most one in 100,000 misread (ORVANTHE_NAMES sets how many are drawn).
TEST(Differential, NamesComeBackFromTheirLinks) {
    const char* given = std::getenv("ORVANTHE_NAMES");
    const int count = given ? std::atoi(given) : 100000;
    std::mt19937 random(24);
    // GB2312, nine in ten from its first level (rows 0xB0-0xD7), the rest from its second.
    const auto chinese = [&random] {
        for (;;) {
            const bool first = random() % 10 != 0;
            const auto lead = std::uint8_t(first ? 0xB0 + random() % 40 : 0xD8 + random() % 32);
            const char16_t c =
                CodePage::ansi().characterOfPair(lead, std::uint8_t(0xA1 + random() % 94));
            if (c != 0 && (c < 0xE000 || c > 0xF8FF)) {
                return c;
            }
        }
    };
    const std::function<char16_t()> others[] = {
        chinese,
        [&random] { return char16_t(0xAC00 + random() % 11172); }, // Hangul
        [&random] {
            return char16_t(random() % 2 ? 0x3041 + random() % 86 : 0x30A1 + random() % 90);
        },
    };

    FakeClipboard clipboard;
    Form1 form(clipboard);
    // Misread: own links of Chinese names, and UTF-8 links of Chinese, Korean and Japanese ones.
    std::array<int, 4> misread{};
    for (int n = 0; n < count; ++n) {
        const std::u16string own = nameAddress(random, chinese);
        form.fill(FieldId::Text1, own);
        const Visible links = {form.text(FieldId::Text2), form.text(FieldId::Text3),
                               form.text(FieldId::Text4)};
        for (std::size_t k = 0; k < 3; ++k) {
            form.fill(FieldId(k + 1), links[k]);
            misread[0] += form.text(FieldId::Text1) != own;
        }
        for (std::size_t k = 0; k < 3; ++k) {
            const std::u16string address = nameAddress(random, others[k]);
            form.fill(FieldId::Text4, u"qqdl://" + referenceBase64(encodeUtf8(address)));
            misread[k + 1] += form.text(FieldId::Text1) != address;
        }
    }
    // Three own links to each Chinese name, one UTF-8 link to each other name.
    const std::array<int, 4> allowed = {3 * count / 100000, count / 100000, count / 100000,
                                        count / 100000};
    for (std::size_t k = 0; k < misread.size(); ++k) {
        EXPECT_LE(misread[k], allowed[k]) << "names of kind " << k;
    }
    std::cout << "misread of " << count << " names: " << testing::PrintToString(misread) << "\n";
}

// The faster Base64 loops give what the plain loops give: encoding bytes of every length up to
// a few blocks, and decoding bodies as long, of the alphabet and "=" alone or with one other
// character anywhere.
TEST(Differential, FasterBase64LoopsGiveWhatThePlainLoopsGive) {
    std::mt19937 random(5);
    const std::string characters = std::string(base64Alphabet) + "=";
    for (std::size_t n = 0; n < 80 * 40; ++n) {
        std::string body(n / 40, '=');
        std::ranges::generate(body, [&] { return characters[random() % characters.size()]; });
        if (n % 2 && !body.empty()) {
            body[random() % body.size()] = "-\x80 .%"[random() % 5];
        }
        std::vector<std::uint8_t> fast(body.size() + 8), plain(body.size() + 8);
        const bool decoded = decodeBase64(body, fast.data());
        ASSERT_EQ(decoded, decodeBase64Plain(body, plain.data())) << body;
        fast.resize(decoded ? (body.size() + 3) / 4 * 3 : 0);
        plain.resize(fast.size());
        ASSERT_EQ(fast, plain) << body;
        const std::span bytes(fast.data(), std::min(fast.size(), n % 50));
        std::string encoded = "x";
        std::string encodedPlain = "x";
        appendBase64(bytes, encoded);
        appendBase64Plain(bytes, encodedPlain);
        ASSERT_EQ(encoded, encodedPlain);
    }
}

// orvanthe-link with and without its batch path, for every form it writes, on each input
// given twice: after another result, and not at the start where a byte-order mark is dropped.
void expectSameResults(const std::string& input) {
    for (std::size_t k = 0; k <= linkForms.size(); ++k) {
        const std::string lines = input + "\n" + input;
        ASSERT_EQ(linkTool(target(k), lines, true), linkTool(target(k), lines, false)) << input;
    }
}

// Every cell of the table; then addresses, and links of any bytes, made of pieces that some
// rule of the form logic or of the tool treats apart: wrappers, white space, control and
// formatting characters, escapes, code page and UTF-8 text, lone lead bytes, NUL.
TEST(Differential, TheBatchPathWritesWhatTheFormLogicWrites) {
    for (const Case& row : cases()) {
        for (const std::u16string& cell : row.cells) {
            expectSameResults(encodeUtf8(cell));
        }
    }
    using namespace std::string_literals;
    // clang-format off
    static const std::string pieces[] = {
        "http://", "a.b/", "c.zip", "AA", "ZZ", "[FLASHGET]", "&", "=", "%3A", " ", "\t", "\x01",
        "\x7F", "\xD6\xD0", "\xB5\xE7\xD3\xB0", "\xE4\xB8\xAD", "\xC3\xA9", "\xE2\x80\x8E", "\x80",
        "\xFF", "\xA1\xA1", "\xA1\x40", "\xA8\xA6", "\xD6", "\0"s, "\xE3\x80\x80", "\xEF\xBB\xBF",
        "\xC2\xA0", "\xF0\x9F\x98\x80", "\xED\xA0\x80", "?"};
    // clang-format on
    static const std::string schemes[] = {"",        "thunder://", "Flashget://",
                                          "QQDL://", " qqdl://",   "qqdl%3A%2F%2F"};
    static const std::string tails[] = {"",  "&velkaron777", "&", "&a b",        "=",
                                        "x", "%3D",          " ", "\xE4\xB8\xAD"};
    // The common inputs take the batch path, for one form and for more: addresses, spaces and
    // escapes among them, and links of any scheme's case.
    for (const char* common :
         {"http://a.b/中文.zip", "http://a.b/中 文 %41.zip ",
          "thunder://QUFodHRwOi8vYS5iL9bQIM7EICU0MS56aXBaWg==",
          "thunder://QUFodHRwOi8vYS5iL9bQzsQuemlwWlo=",
          "Flashget://W0ZMQVNIR0VUXWh0dHA6Ly9hLmIv1tDOxC56aXBbRkxBU0hHRVRd&velkaron777",
          "QQDL://aHR0cDovL2EuYi/W0M7ELnppcA=="}) {
        std::string written;
        EXPECT_TRUE(cli::BatchFill().fill(common, target(0), written)) << common;
        EXPECT_TRUE(cli::BatchFill().fill(common, target(4), written));
    }
    std::mt19937 random(15);
    for (int n = 0; n < 20000; ++n) { // the text itself, or a link of it, its body damaged
        const std::string text = randomText<std::string>(random, pieces, 8);
        const std::string& scheme = schemes[random() % std::size(schemes)];
        std::u16string body = referenceBase64(text);
        body.resize(body.size() - std::min<std::size_t>(random() % 3, body.size()));
        const std::string& tail = tails[random() % std::size(tails)];
        expectSameResults(scheme.empty() ? text
                                         : scheme + std::string(body.begin(), body.end()) + tail);
    }
}

} // namespace
} // namespace orvanthe
