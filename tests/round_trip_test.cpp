#include "fake_clipboard.h"
#include "form/form1.h"
#include "random_text.h"
#include "reference.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>

namespace orvanthe {
namespace {

using namespace orvanthe::test;

constexpr FieldId linkFields[] = {FieldId::Text2, FieldId::Text3, FieldId::Text4};

// An address whose code page bytes happen to be wide UTF-8 comes back read as UTF-8.
bool readsAsUtf8(std::u16string_view address) {
    return referenceWideUtf8(referenceBytes(address)).has_value();
}

TEST(RoundTrip, EveryLinkGivesItsAddressBack) {
    FakeClipboard clipboard;
    Form1 form(clipboard);
    RandomText random(3);
    int checked = 0;
    for (int n = 0; n < 3000; ++n) {
        const std::u16string address = random.address(60);
        if (readsAsUtf8(address)) {
            continue;
        }
        SCOPED_TRACE(testing::PrintToString(address));
        form.fill(FieldId::Text1, address);
        const std::u16string links[] = {form.text(FieldId::Text2), form.text(FieldId::Text3),
                                        form.text(FieldId::Text4)};
        for (std::size_t k = 0; k < 3; ++k) {
            form.fill(linkFields[k], links[k]);
            ASSERT_EQ(form.text(FieldId::Text1), address);
            ASSERT_EQ(form.text(linkFields[k]), links[k]);
        }
        ++checked;
    }
    EXPECT_GT(checked, 2900);
}

std::u16string longAddress(std::size_t length) {
    RandomText random(4);
    std::u16string text = u"http://example.com/";
    while (text.size() < length) {
        text += random.address(200);
    }
    text.resize(length);
    return text;
}

// Builds the three links of `address` and takes each apart again.
void convertThereAndBack(Form1& form, const std::u16string& address) {
    form.fill(FieldId::Text1, address);
    for (const FieldId field : linkFields) {
        const std::u16string link = form.text(field);
        form.fill(field, link);
    }
}

TEST(RoundTrip, AMegabyteConvertsCompletely) {
    FakeClipboard clipboard;
    Form1 form(clipboard);
    const std::u16string address = longAddress(1 << 20);
    ASSERT_FALSE(readsAsUtf8(address));
    form.fill(FieldId::Text1, address);
    EXPECT_GT(form.text(FieldId::Text4).size(), 4 * address.size() / 3);
    for (const FieldId field : linkFields) {
        const std::u16string link = form.text(field);
        form.fill(field, link);
        EXPECT_EQ(form.text(FieldId::Text1), address);
        EXPECT_EQ(form.text(field), link);
    }
}

// A guard against work that grows faster than the text (a string rebuilt per character,
// say): eight times the text must take far less than the 64 times such work would.
TEST(RoundTrip, TimeGrowsLinearlyWithLength) {
    FakeClipboard clipboard;
    Form1 form(clipboard);
    const auto fastest = [&](const std::u16string& address) {
        auto best = std::chrono::steady_clock::duration::max();
        for (int run = 0; run < 3; ++run) {
            const auto start = std::chrono::steady_clock::now();
            convertThereAndBack(form, address);
            best = std::min(best, std::chrono::steady_clock::now() - start);
        }
        return std::chrono::duration<double>(best).count();
    };
    const double small = fastest(longAddress(1 << 18));
    const double large = fastest(longAddress(1 << 21));
    EXPECT_LT(large / small, 24.0) << small << " s for 256 Ki, " << large << " s for 2 Mi";
}

} // namespace
} // namespace orvanthe
