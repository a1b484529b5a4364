// orvanthe-link's logic over streams in memory: what only a failing system shows.
#include "string_streams.h"

#include <gtest/gtest.h>

namespace orvanthe::test {

// An input past the longest string the tool may hold, within a block of input, across blocks
// and as an argument: named and skipped, and the inputs around it converted.
TEST(LinkTool, AnInputPastTheLongestStringIsNamedAndSkipped) {
    for (const std::size_t size : {std::size_t(100), std::size_t(100'000)}) {
        const std::string input = "qqdl://YQ==\nhttp://" + std::string(size, 'y') + "\nqqdl://Yg==";
        StringStreams streams(input);
        cli::LinkTool tool(target(0), streams);
        tool.limitInput(size);
        EXPECT_FALSE(tool.convertLines() ||
                     tool.convert(input.substr(12, size + 7), "argument", 2));
        tool.flush();
        const std::string skipped = " is too long for the memory available; skipped\n";
        EXPECT_EQ(std::tuple(streams.out[0], streams.out[1]),
                  std::tuple("a\nb\n", "orvanthe-link: line 2" + skipped +
                                           "orvanthe-link: argument 2" + skipped));
    }
}

// A read that fails: the results of the lines before it come out, then the reason.
TEST(LinkTool, AReadErrorComesAfterTheResultsBeforeIt) {
    StringStreams streams("qqdl://YQ==\nqqdl://Yg==", true);
    cli::LinkTool tool(target(0), streams);
    tool.convertLines();
    EXPECT_EQ(std::tuple(tool.failed(), streams.out[0], streams.out[1]),
              std::tuple(true, "a\n",
                         "orvanthe-link: cannot read standard input: the device went away\n"));
}

} // namespace orvanthe::test
