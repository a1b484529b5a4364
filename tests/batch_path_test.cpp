// orvanthe-link's batch path against the form logic alone: for any input, the same output,
// the same messages and the same status.
#include "cli/link_tool.h"
#include "reference.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace orvanthe {
namespace {

void expectSameResults(const std::string& line) {
    for (int target = 0; target < 5; ++target) {
        std::ostringstream out[2];
        std::ostringstream err[2];
        bool valid[2];
        for (const int batch : {0, 1}) {
            cli::LinkTool tool(cli::Target(target), out[batch], err[batch], batch == 1);
            valid[batch] = tool.convert(line, "line", 1);
        }
        ASSERT_EQ(out[1].str(), out[0].str()) << line;
        ASSERT_EQ(err[1].str(), err[0].str()) << line;
        ASSERT_EQ(valid[1], valid[0]) << line;
    }
}

TEST(BatchPath, WritesWhatTheFormLogicWrites) {
    // Addresses, and the bytes behind link bodies, made of pieces that each rule of the form
    // logic and of the tool treats apart: wrappers, white space, control characters, "%",
    // code page 936 and UTF-8 text, single bytes above ASCII, lead bytes without a trail.
    const std::string pieces[] = {"http://",
                                  "a.b/",
                                  "c.zip",
                                  "AA",
                                  "ZZ",
                                  "[FLASHGET]",
                                  "&",
                                  "=",
                                  "%3A",
                                  " ",
                                  "\t",
                                  "\x01",
                                  "\x7F",
                                  "\xD6\xD0",
                                  "\xB5\xE7\xD3\xB0",
                                  "\xE4\xB8\xAD",
                                  "\xC3\xA9",
                                  "\xE2\x80\x8E",
                                  "\x80",
                                  "\xFF",
                                  "\xA1\xA1",
                                  "\xA1\x40",
                                  "\xA8\xA6",
                                  "\xD6",
                                  std::string(1, '\0'),
                                  "\xE3\x80\x80",
                                  "\xEF\xBB\xBF",
                                  "\xC2\xA0",
                                  "\xF0\x9F\x98\x80",
                                  "\xED\xA0\x80",
                                  "?",
                                  "thunder://"};
    const std::string schemes[] = {"thunder://", "Flashget://", "QQDL://", " qqdl://"};
    const std::string tails[] = {"",  "&velkaron777", "&", "&a b",        "=",
                                 "x", "%3D",          " ", "\xE4\xB8\xAD"};
    std::mt19937 random(15);
    for (int n = 0; n < 20000; ++n) {
        std::string text;
        for (auto count = random() % 9; count > 0; --count) {
            text += pieces[random() % std::size(pieces)];
        }
        if (random() % 4 == 0) {
            expectSameResults(text);
            continue;
        }
        const std::u16string body = test::referenceBase64(text);
        std::string link = schemes[random() % std::size(schemes)];
        const auto cut = std::min<std::size_t>(random() % 3, body.size()); // damaged bodies
        link.append(body.begin(), body.end() - std::ptrdiff_t(cut));
        expectSameResults(link + (random() % 2 ? "" : tails[random() % std::size(tails)]));
    }
}

} // namespace
} // namespace orvanthe
