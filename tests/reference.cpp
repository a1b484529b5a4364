#include "reference.h"

#include "codec/reading.h"

#include <algorithm>
#include <memory>
#include <openssl/evp.h>
#include <optional>
#include <stdexcept>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ustring.h>
#include <vector>

namespace orvanthe::test {
namespace {

// One "?" for every character the code page lacks. ICU's own substitution skips the
// default-ignorable ones (U+00AD, U+200B, ...) instead, which the program does not.
void substituteEveryCharacter(const void*, UConverterFromUnicodeArgs* args, const UChar*,
                              std::int32_t, UChar32, UConverterCallbackReason reason,
                              UErrorCode* status) {
    if (reason <= UCNV_IRREGULAR) {
        *status = U_ZERO_ERROR;
        ucnv_cbFromUWriteBytes(args, "?", 1, 0, status);
    }
}

void check(UErrorCode status) {
    if (U_FAILURE(status)) {
        throw std::runtime_error(u_errorName(status));
    }
}

UConverter* converter() {
    static const auto converter = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UConverter, void (*)(UConverter*)> opened(
            ucnv_open("windows-936-2000", &status), ucnv_close);
        ucnv_setFromUCallBack(opened.get(), substituteEveryCharacter, nullptr, nullptr, nullptr,
                              &status);
        check(status);
        return opened;
    }();
    return converter.get();
}

std::uint32_t valueOf(char c) {
    constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    return std::uint32_t(std::min(alphabet.find(c), std::size_t(0x40)) & 0x3F);
}

// Code page 936 text of `bytes`, as ICU reads them in one go; but a lead byte and a byte that
// is no trail byte, which ICU reads apart, are one code that the code page does not define:
// one "?", as Windows reads them.
std::u16string referenceText(std::string_view given) {
    std::string bytes;
    for (std::size_t i = 0; i < given.size(); ++i) {
        const auto lead = std::uint8_t(given[i]);
        if (lead < 0x81 || lead > 0xFE || i + 1 == given.size()) {
            bytes += given[i];
            continue;
        }
        const auto trail = std::uint8_t(given[++i]);
        bytes.append(trail < 0x40 || trail == 0x7F || trail == 0xFF
                         ? std::string("?")
                         : std::string{given[i - 1], given[i]});
    }
    UErrorCode status = U_ZERO_ERROR;
    std::u16string text(2 * bytes.size() + 1, u'\0');
    text.resize(std::size_t(ucnv_toUChars(converter(), text.data(), std::int32_t(text.size()),
                                          bytes.data(), std::int32_t(bytes.size()), &status)));
    check(status);
    return text;
}

// The text of well-formed UTF-8; nothing for anything else.
std::optional<std::u16string> referenceUtf8(std::string_view bytes) {
    std::u16string text(bytes.size(), u'\0');
    std::int32_t size = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(text.data(), std::int32_t(text.size()), &size, bytes.data(),
                  std::int32_t(bytes.size()), &status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    text.resize(std::size_t(size));
    return text;
}

} // namespace

std::string referenceBytes(std::u16string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    std::string bytes(2 * text.size() + 1, '\0');
    bytes.resize(std::size_t(ucnv_fromUChars(converter(), bytes.data(), std::int32_t(bytes.size()),
                                             text.data(), std::int32_t(text.size()), &status)));
    check(status);
    return bytes;
}

std::u16string referenceBase64(std::string_view bytes) {
    std::vector<unsigned char> body(4 * ((bytes.size() + 2) / 3) + 1);
    const int size = EVP_EncodeBlock(
        body.data(), reinterpret_cast<const unsigned char*>(bytes.data()), int(bytes.size()));
    return std::u16string(body.begin(), body.begin() + size);
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
    bytes.append(input.size() % 4 == 1 ? 2 : 1, '\0'); // a lone last character leaves one more

    // Bytes that may be UTF-8 are UTF-8 beyond ASCII without two-byte forms, as ICU reads
    // them; which reading of those wins is the program's own weighing.
    const std::string kept = bytes.substr(0, bytes.find('\0'));
    const bool wide = std::ranges::any_of(kept, [](char c) { return c & 0x80; });
    const bool twoByteForm = std::ranges::any_of(
        kept, [](char c) { return std::uint8_t(c) >= 0xC0 && std::uint8_t(c) <= 0xDF; });
    const auto utf8 = wide && !twoByteForm ? referenceUtf8(kept) : std::nullopt;
    if (utf8 &&
        utf8ReadingWins(*utf8, {reinterpret_cast<const std::uint8_t*>(kept.data()), kept.size()})) {
        return *utf8 + referenceText(std::string_view(bytes).substr(kept.size()));
    }
    return referenceText(bytes);
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

} // namespace orvanthe::test
