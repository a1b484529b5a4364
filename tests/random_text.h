#pragma once

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace orvanthe::test {

// Random texts for property tests, from a fixed seed so that a failure repeats.
class RandomText {
public:
    explicit RandomText(unsigned seed) : engine_(seed) {}

    std::size_t number(std::size_t low, std::size_t high) {
        return std::uniform_int_distribution<std::size_t>(low, high)(engine_);
    }

    // Characters that code page 936 holds as one ASCII byte or as two bytes.
    char16_t codePageCharacter() {
        static constexpr std::u16string_view symbols =
            u"、。《》「」『』【】“”‘’—…×÷±≤≥≠∞℃￥§№☆★○●◎◇◆□■△▲※→←↑↓〓①②③ⅠⅡⅢ"
            u"αβγΩ АБВабв éèüàǎ ぁあアイ，！？：；（）";
        switch (number(0, 3)) {
        case 0:
            return char16_t(number(1, 0x7F));
        case 1:
            return char16_t(number(0x4E00, 0x9FA5));
        case 2:
            return symbols[number(0, symbols.size() - 1)];
        default:
            return char16_t(number(0x20, 0x7E));
        }
    }

    // A text of code page characters, salted with the link forms' own literals.
    std::u16string address(std::size_t maxLength) {
        static constexpr std::u16string_view salt[] = {u"AA", u"ZZ", u"[FLASHGET]", u"&",
                                                       u" ",  u"中", u"thunder://", u"=="};
        std::u16string text;
        const std::size_t length = number(0, maxLength);
        while (text.size() < length) {
            if (number(0, 7) == 0) {
                text += salt[number(0, std::size(salt) - 1)];
            } else {
                text.push_back(codePageCharacter());
            }
        }
        return text;
    }

    // Like address(), mixed with characters code page 936 lacks: emoji, Hangul, Thai and
    // lone surrogates.
    std::u16string anyText(std::size_t maxLength) {
        std::u16string text = address(maxLength);
        for (std::size_t k = number(0, 4); k > 0 && !text.empty(); --k) {
            static constexpr std::u16string_view foreign[] = {u"😀",      u"한",     u"ก",
                                                              u"\xD800", u"\xDC00", u"𝄞"};
            text.insert(number(0, text.size()), foreign[number(0, std::size(foreign) - 1)]);
        }
        return text;
    }

private:
    std::mt19937 engine_;
};

} // namespace orvanthe::test
