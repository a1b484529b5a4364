#include "class1.h"

#include "base64.h"
#include "code_page.h"
#include "reading.h"
#include "utf8.h"

#include <algorithm>
#include <vector>

namespace orvanthe {
namespace {

std::vector<std::uint8_t> ansiBytes(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    CodePage::ansi().appendBytes(text, bytes);
    return bytes;
}

} // namespace

std::u16string Class1::Base64Encode(std::u16string_view InStr1) const {
    const std::vector<std::uint8_t> bytes = ansiBytes(InStr1);
    const std::size_t length = bytes.size();

    std::u16string result((length + 2) / 3 * 4, u'\0');
    char16_t* to = result.data();
    std::array<std::uint8_t, 3> inGroup{};
    std::array<char16_t, 4> outGroup{};
    std::size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        inGroup = {bytes[i], bytes[i + 1], bytes[i + 2]};
        Base64EncodeGroup(inGroup, outGroup, 3);
        to = std::copy(outGroup.begin(), outGroup.end(), to);
    }
    if (const std::size_t count = length - i; count > 0) {
        std::copy_n(bytes.data() + i, count, inGroup.begin());
        Base64EncodeGroup(inGroup, outGroup, int(count));
        std::copy(outGroup.begin(), outGroup.end(), to);
    }
    return result;
}

std::u16string Class1::Base64Decode(std::u16string_view InStr1) const {
    const std::vector<std::uint8_t> input = ansiBytes(InStr1);
    const std::size_t size = input.size();

    // 4k bytes give 3k and a spare zero; 4k+1 ignore the last and leave two zeros;
    // 4k+2 and 4k+3 complete their last group and are followed by a spare zero.
    const std::size_t rest = size % 4;
    std::vector<std::uint8_t> output(size / 4 * 3 + (rest == 0 ? 1 : rest == 1 ? 2 : 4), 0);

    std::array<std::uint8_t, 4> inGroup{};
    std::array<std::uint8_t, 3> outGroup{};
    // A local: a store through `to`, a byte pointer, may alias `input`'s own pointer.
    const std::uint8_t* from = input.data();
    std::uint8_t* to = output.data();
    int outside = 0;
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        inGroup = {from[i], from[i + 1], from[i + 2], from[i + 3]};
        outside = 4;
        Base64DecodeGroup(inGroup, outGroup, outside);
        to = std::copy(outGroup.begin(), outGroup.end(), to);
    }
    if (size - i >= 2) {
        inGroup.fill('=');
        std::copy(input.begin() + std::ptrdiff_t(i), input.end(), inGroup.begin());
        outside = 4;
        Base64DecodeGroup(inGroup, outGroup, outside);
        std::copy(outGroup.begin(), outGroup.end(), to);
    }

    const std::span<const std::uint8_t> bytes(output);
    const auto zero = std::size_t(std::find(output.begin(), output.end(), 0) - output.begin());
    const std::span<const std::uint8_t> prefix = bytes.first(zero);
    if (auto text = utf8Reading(prefix)) {
        text->append(AnsiBytesToText(bytes.subspan(zero)));
        return std::move(*text);
    }
    return AnsiBytesToText(bytes);
}

void Class1::Base64EncodeGroup(std::array<std::uint8_t, 3>& inGroup,
                               std::array<char16_t, 4>& outGroup, int count) {
    if (count < 3) {
        inGroup[2] = 0;
    }
    if (count < 2) {
        inGroup[1] = 0;
    }
    const auto [b0, b1, b2] = inGroup;
    outGroup[0] = char16_t(base64Alphabet[b0 >> 2]);
    outGroup[1] = char16_t(base64Alphabet[std::size_t((b0 & 0x03) << 4 | b1 >> 4)]);
    outGroup[2] =
        count < 2 ? u'=' : char16_t(base64Alphabet[std::size_t((b1 & 0x0F) << 2 | b2 >> 6)]);
    outGroup[3] = count < 3 ? u'=' : char16_t(base64Alphabet[b2 & 0x3F]);
}

void Class1::Base64DecodeGroup(std::array<std::uint8_t, 4>& inGroup,
                               std::array<std::uint8_t, 3>& outGroup, int& count) {
    count = 0;
    for (std::uint8_t& ch : inGroup) {
        const std::int8_t value = base64Values[ch];
        count += value < 0;
        ch = std::uint8_t(value < 0 ? 0 : value);
    }
    const auto [s0, s1, s2, s3] = inGroup;
    outGroup[0] = std::uint8_t(s0 << 2 | s1 >> 4);
    outGroup[1] = std::uint8_t((s1 & 0x0F) << 4 | s2 >> 2);
    outGroup[2] = std::uint8_t((s2 & 0x03) << 6 | s3);
}

std::u16string Class1::AnsiBytesToText(std::optional<std::span<const std::uint8_t>> value) {
    if (!value) {
        return {};
    }
    const std::span<const std::uint8_t> bytes = *value;
    const CodePage& codePage = CodePage::ansi();

    // Never more units than bytes: a pair gives at most two.
    std::u16string text(bytes.size(), u'\0');
    char16_t* to = text.data();
    const std::uint8_t* from = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t byte = from[i++];
        if (byte < 0x80) {
            *to++ = byte;
        } else if (i < size && !codePage.isSingleByte(byte)) {
            to = codePage.writePair(byte, from[i++], to);
        } else {
            *to++ = codePage.textOfByte(byte);
        }
    }
    text.resize(std::size_t(to - text.data()));
    return text;
}

} // namespace orvanthe
