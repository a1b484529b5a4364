// orvanthe-link's logic over streams in memory: what only a failing system shows.
#include "string_streams.h"

#include <gtest/gtest.h>

namespace orvanthe::test {

// An input past the longest string the tool may hold, within a block of input and across
// blocks, by either path: named and skipped, and the inputs around it converted.
TEST(LinkTool, AnInputPastTheLongestStringIsNamedAndSkipped) {
    for (const bool batchPath : {true, false}) {
        for (const std::size_t size : {std::size_t(100), std::size_t(100'000)}) {
            const std::string input =
                "qqdl://YQ==\nhttp://" + std::string(size, 'y') + "\nqqdl://Yg==\n";
            StringStreams streams;
            streams.input = input;
            cli::LinkTool tool(cli::Target::Http, streams, batchPath);
            tool.limitInput(size);
            EXPECT_FALSE(tool.convertLines());
            EXPECT_FALSE(tool.convert("http://" + std::string(size, 'z'), "argument", 2));
            EXPECT_TRUE(tool.flush());
            EXPECT_EQ(std::tuple(streams.out[0], streams.out[1]),
                      std::tuple("a\nb\n", "orvanthe-link: line 2 is too long for the memory "
                                           "available; skipped\norvanthe-link: argument 2 is too "
                                           "long for the memory available; skipped\n"))
                << batchPath << " " << size;
        }
    }
}

// A read that fails: the results of the lines before it come out, then the reason.
TEST(LinkTool, AReadErrorComesAfterTheResultsBeforeIt) {
    StringStreams streams;
    streams.input = "qqdl://YQ==\nqqdl://Yg==";
    streams.failAtEnd = true;
    cli::LinkTool tool(cli::Target::Http, streams);
    tool.convertLines();
    EXPECT_TRUE(tool.failed());
    EXPECT_EQ(
        std::tuple(streams.out[0], streams.out[1]),
        std::tuple("a\n", "orvanthe-link: cannot read standard input: the device went away\n"));
}

} // namespace orvanthe::test
