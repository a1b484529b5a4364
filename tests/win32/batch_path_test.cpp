// orvanthe-link's batch path as the 32-bit programs build it, with the plain loops in place of
// SSE2 and a 32-bit size_t, against the form logic that defines its results: on each cell of
// the table, and on each character below U+0100 at places across the blocks of eight and of 64
// bytes that the plain loops look at together, in an address and in the bytes of its link.
#include "cases.h"
#include "codec/class1.h"
#include "codec/utf8.h"
#include "string_streams.h"

#include <gtest/gtest.h>

namespace orvanthe::test {

TEST(BatchPath, WritesWhatTheFormLogicWrites) {
    std::string written; // a common input, which the batch path takes
    ASSERT_TRUE(cli::BatchFill().fill("http://a.b/c.zip", target(0), written));
    std::vector<std::u16string> lines;
    for (const Case& row : cases()) {
        lines.insert(lines.end(), row.cells.begin(), row.cells.end());
    }
    for (int byte = 1; byte < 256; ++byte) {
        for (std::size_t at = 7; at < 90; at += 11) {
            std::u16string address = u"http://" + std::u16string(90, u'a');
            address[at] = char16_t(byte);
            lines.insert(lines.end(), {address, u"qqdl://" + Class1().Base64Encode(address)});
        }
    }
    for (const std::u16string& line : lines) { // twice: the second not where a BOM is dropped
        const std::string input = encodeUtf8(line + u"\n" + line);
        for (std::size_t k = 0; k <= linkForms.size(); ++k) {
            ASSERT_EQ(linkTool(target(k), input, true), linkTool(target(k), input, false)) << input;
        }
    }
}

} // namespace orvanthe::test
