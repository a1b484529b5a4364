#include "reference.h"

#include <algorithm>
#include <memory>
#include <openssl/evp.h>
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

std::unique_ptr<UConverter, void (*)(UConverter*)> openConverter() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, void (*)(UConverter*)> converter(
        ucnv_open("windows-936-2000", &status), ucnv_close);
    ucnv_setFromUCallBack(converter.get(), substituteEveryCharacter, nullptr, nullptr, nullptr,
                          &status);
    if (U_FAILURE(status)) {
        throw std::runtime_error(u_errorName(status));
    }
    return converter;
}

UConverter* converter() {
    static const auto converter = openConverter();
    return converter.get();
}

} // namespace

std::string referenceBytes(std::u16string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    std::string bytes(2 * text.size() + 1, '\0');
    const auto size = ucnv_fromUChars(converter(), bytes.data(), std::int32_t(bytes.size()),
                                      text.data(), std::int32_t(text.size()), &status);
    if (U_FAILURE(status)) {
        throw std::runtime_error(u_errorName(status));
    }
    bytes.resize(std::size_t(size));
    return bytes;
}

std::u16string referenceText(std::string_view bytes) {
    UErrorCode status = U_ZERO_ERROR;
    std::u16string text(2 * bytes.size() + 1, u'\0');
    const auto size = ucnv_toUChars(converter(), text.data(), std::int32_t(text.size()),
                                    bytes.data(), std::int32_t(bytes.size()), &status);
    if (U_FAILURE(status)) {
        throw std::runtime_error(u_errorName(status));
    }
    text.resize(std::size_t(size));
    return text;
}

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

std::optional<std::u16string> referenceWideUtf8(std::string_view bytes) {
    const bool wide = std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
    const bool twoByteForm = std::any_of(bytes.begin(), bytes.end(), [](char c) {
        return std::uint8_t(c) >= 0xC0 && std::uint8_t(c) <= 0xDF;
    });
    if (!wide || twoByteForm) {
        return std::nullopt;
    }
    return referenceUtf8(bytes);
}

std::u16string referenceBase64(std::string_view bytes) {
    std::vector<unsigned char> body(4 * ((bytes.size() + 2) / 3) + 1);
    const int size = EVP_EncodeBlock(
        body.data(), reinterpret_cast<const unsigned char*>(bytes.data()), int(bytes.size()));
    return std::u16string(body.begin(), body.begin() + size);
}

std::string referenceUnbase64(std::u16string_view body) {
    const std::string ascii(body.begin(), body.end());
    std::string bytes(3 * (ascii.size() / 4) + 1, '\0');
    const int size =
        EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                        reinterpret_cast<const unsigned char*>(ascii.data()), int(ascii.size()));
    if (size < 0) {
        throw std::runtime_error("not Base64");
    }
    const auto padding = std::size_t(
        std::count(ascii.end() - std::min<std::ptrdiff_t>(2, std::ssize(ascii)), ascii.end(), '='));
    bytes.resize(std::size_t(size) - padding);
    return bytes;
}

} // namespace orvanthe::test
