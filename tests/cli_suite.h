#pragma once

// What both command-line suites check of the built tool, each through its own
// run(arguments, input), which gives an Outcome: out, err and status.
#include "cases.h"
#include "codec/utf8.h"

#include <gtest/gtest.h>

namespace orvanthe::test {

using Arguments = std::vector<std::u16string>;

// The table's runs of the tool: arguments, standard input, what it writes and its status.
TEST(CliSuite, RowsGiveTheirOutputAndStatus) {
    for (const auto& row : cases()) {
        if (row.kind == "cli") {
            const auto result =
                run(Arguments(row.cells.begin() + 3, row.cells.end()), encodeUtf8(row.cells[1]));
            EXPECT_EQ(std::tuple(result.out, int(result.status)),
                      std::tuple(encodeUtf8(row.cells[2]), std::stoi(encodeUtf8(row.cells[0]))))
                << "line " << row.line;
            EXPECT_EQ(result.err.empty(), row.cells[0] == u"0") << result.err;
        }
    }
}

// Lines of standard input that are not UTF-8 are named and skipped, and the status says so.
TEST(CliSuite, InvalidUtf8IsNamedSkippedAndReported) {
    const auto result =
        run(Arguments{u"--to=http"}, "qqdl://YQ==\n\xff\xfe\nqqdl://Yg==\n\xc0\xaf\n");
    EXPECT_EQ(std::tuple(result.out, int(result.status)), std::tuple("a\nb\n", 1));
    for (const char* named : {"line 2", "line 4"}) {
        EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
    }
}

// A quarter of a megabyte on one line, into all four forms and each link back.
TEST(CliSuite, ALongInputConvertsCompletely) {
    std::string big = "http://example.com/";
    while (big.size() < (1u << 18)) {
        big += "目录/file-";
    }
    const auto links = run(Arguments{}, big + "\n");
    ASSERT_EQ(int(links.status), 0);
    const std::size_t end = links.out.find('\n');
    EXPECT_EQ(links.out.substr(0, end), big);
    EXPECT_EQ(run(Arguments{u"--to", u"http"}, links.out.substr(end + 1)).out,
              big + "\n" + big + "\n" + big + "\n");
}

} // namespace orvanthe::test
