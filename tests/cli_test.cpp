// Runs the built orvanthe-link as a user would: arguments, standard input, exit status. The
// Windows build runs the same suite with ORVANTHE_LINK naming its tool under Wine, which must
// give the very bytes and statuses; the LinuxCli tests are not for it.
#include "cases.h"
#include "codec/utf8.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Outcome {
    std::string out;
    std::string err;
    int status = -1;
};

std::string slurp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Runs the tool with `arguments` and `input` on standard input, through the shell; `before`
// and `after` go before the command and after its redirections.
Outcome run(const std::vector<std::string>& arguments, const std::string& input = {},
            const std::string& after = {}, const std::string& before = {}) {
    const auto base = testing::TempDir() + "cli_" + std::to_string(getpid());
    std::ofstream(base + ".in", std::ios::binary) << input;
    const char* tool = std::getenv("ORVANTHE_LINK");
    std::string command = before + (tool ? tool : ORVANTHE_LINK);
    for (const auto& argument : arguments) {
        command += " '" + std::regex_replace(argument, std::regex("'"), "'\\''") + "'";
    }
    const int status = std::system(
        (command + " <" + base + ".in >" + base + ".out 2>" + base + ".err" + after).c_str());
    return {slurp(base + ".out"), slurp(base + ".err"),
            WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// Text a command line can carry and a result line shows as it is.
bool plain(std::u16string_view text) {
    return std::ranges::none_of(text, [](char16_t c) { return c < 0x20; });
}

using orvanthe::test::cases;
const auto utf8 = [](std::u16string_view text) { return orvanthe::encodeUtf8(text); };

// The table's runs of the tool: arguments, standard input, what it writes and its status.
TEST(Cli, RowsGiveTheirOutputAndStatus) {
    for (const auto& row : cases()) {
        if (row.kind == "cli") {
            std::vector<std::string> arguments;
            std::ranges::transform(row.cells.begin() + 3, row.cells.end(),
                                   std::back_inserter(arguments), utf8);
            const Outcome result = run(arguments, utf8(row.cells[1]));
            EXPECT_EQ(std::tuple(result.out, result.status),
                      std::tuple(utf8(row.cells[2]), std::stoi(utf8(row.cells[0]))))
                << "line " << row.line;
            EXPECT_EQ(result.err.empty(), row.cells[0] == u"0") << result.err;
        }
    }
}

// Lines of standard input that are not UTF-8 are named and skipped, and the status says so.
TEST(Cli, InvalidUtf8IsNamedSkippedAndReported) {
    const Outcome result = run({"--to=http"}, "qqdl://YQ==\n\xff\xfe\nqqdl://Yg==\n\xc0\xaf\n");
    EXPECT_EQ(std::tuple(result.out, result.status), std::tuple("a\nb\n", 1));
    for (const char* named : {"line 2", "line 4"}) {
        EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
    }
}

// A quarter of a megabyte on one line, into all four forms and each link back.
TEST(Cli, ALongInputConvertsCompletely) {
    std::string big = "http://example.com/";
    while (big.size() < (1u << 18)) {
        big += "目录/file-";
    }
    const Outcome links = run({}, big + "\n");
    ASSERT_EQ(links.status, 0);
    const std::size_t end = links.out.find('\n');
    EXPECT_EQ(links.out.substr(0, end), big);
    EXPECT_EQ(run({"--to", "http"}, links.out.substr(end + 1)).out,
              big + "\n" + big + "\n" + big + "\n");
}

// Files as Notepad saves them in "Unicode": UTF-16 of either byte order after its mark, a lone
// surrogate or an odd last byte naming its line. A NUL in a line (UTF-16 without its mark, a
// binary file) names and skips the line rather than cut it short.
TEST(Cli, Utf16FilesAreReadAndLinesWithNulNamed) {
    using namespace std::string_literals;
    const auto utf16 = [](std::u16string_view text, bool bigEndian) {
        std::string bytes;
        for (const char16_t unit : text) {
            const char high = char(unit >> 8);
            const char low = char(unit & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
    };
    const std::u16string links = u"\uFEFFqqdl://aHR0cDovL9bQL87ELnppcA==\r\nqqdl://YQ==\r\n";
    const std::string both = "http://中/文.zip\na\n";
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {utf16(links, false), both, ""},
        {utf16(links, true), both, ""},
        {utf16(links.substr(1), false), "", "line 1 holds a NUL character"},
        {utf16(u"\uFEFFqqdl://YQ==\n\xD800\nqqdl://Yg==", false) + "x", "a\n",
         "line 2 is not valid UTF-16[^]*line 3 is not valid UTF-16"},
        {"http://a.b/c\0evil.zip\nqqdl://YQ==\n"s, "a\n", "line 1 holds a NUL character"},
    };
    for (const auto& [input, out, named] : rows) {
        const Outcome result = run({"--to", "http"}, input);
        EXPECT_EQ(std::tuple(result.out, result.status), std::tuple(out, named.empty() ? 0 : 1));
        EXPECT_TRUE(std::regex_search(result.err, std::regex(named.empty() ? "^$" : named)))
            << result.err;
    }
}

// Arguments that are not UTF-8 are named and skipped (Windows passes arguments as UTF-16).
TEST(LinuxCli, InvalidUtf8ArgumentsAreNamedAndSkipped) {
    const Outcome result = run({"--to", "http", "qqdl://YQ==", "\xed\xa0\x80", "qqdl://Yg=="});
    EXPECT_EQ(std::tuple(result.out, result.status), std::tuple("a\nb\n", 1));
    EXPECT_NE(result.err.find("argument 4"), std::string::npos) << result.err;
}

// Each input of the table that gives the link fields after its paste: the tool writes what
// the window shows and names each link written that would give another address back.
TEST(Cli, EveryPasteGivesWhatTheWindowShows) {
    for (const auto& row : cases()) {
        for (std::size_t n = 0;
             row.form() >= 0 && row.cells.size() > 4 && plain(row.cells[0]) && n < 4; ++n) {
            const std::string form(orvanthe::linkForms[n].name);
            const std::string named = row.cells.size() > 5 ? utf8(row.cells[5]) : "";
            const bool lost = named.find(form) != std::string::npos;
            const Outcome result = run({"--to=" + form, utf8(row.cells[0])});
            const std::string why = named.ends_with('?')
                                        ? " link has \"?\" for characters the code page lacks\n"
                                        : " link gives another address back\n";
            EXPECT_EQ(std::tuple(result.out, result.err, result.status),
                      std::tuple(utf8(row.cells[n + 1]) + "\n",
                                 lost ? "orvanthe-link: argument 2: the " + form + why : "",
                                 int(lost)))
                << row.line;
        }
    }
}

// A failure to read or write is named with the system's reason (as Linux or Windows words
// it), exit status 3.
TEST(Cli, ReadAndWriteFailuresExitWithStatusThree) {
    const std::pair<std::string, std::string> failures[] = {
        {" >/dev/full", "No space left on device|error 112"},
        {" >&-", "Bad file descriptor|error 6"},
        {" </", "Is a directory|error 1"},
        {" <&-", "Bad file descriptor|error 1"}};
    for (const auto& [redirect, reason] : failures) {
        for (const auto& arguments : {std::vector<std::string>{}, {"qqdl://YQ=="}, {"--help"}}) {
            const Outcome result = run(arguments, "qqdl://YQ==\n", redirect);
            const bool fails = redirect[1] == '>' || arguments.empty();
            EXPECT_EQ(result.status, fails ? 3 : 0) << redirect << " " << arguments.size();
            EXPECT_EQ(std::regex_search(result.err, std::regex(reason)), fails) << result.err;
        }
    }
}

// When the reader of its output goes, the tool ends at once and says nothing, as the standard
// tools do: status 141, the shell's for SIGPIPE.
TEST(Cli, AClosedPipeEndsTheToolQuietly) {
    std::string lines; // more results than a pipe holds
    while (lines.size() < (1u << 20)) {
        lines += "qqdl://YQ==\n";
    }
    const std::string status = testing::TempDir() + "cli_" + std::to_string(getpid()) + ".status";
    const Outcome result =
        run({"--to", "http"}, lines, " >&3; echo $? >" + status + "; } 3>&1 | head -c 1 >/dev/null",
            "{ ");
    EXPECT_EQ(std::tuple(result.err, slurp(status)), std::tuple("", "141\n"));
}

// Each result is written as soon as its line is read: the second line follows only once the
// result of the first has come out, or else, after 20 s, a line that gives "late".
TEST(Cli, EachResultAppearsWhileInputGoesOn) {
    const std::string out = testing::TempDir() + "cli_" + std::to_string(getpid()) + ".out";
    std::remove(out.c_str()); // what an earlier run wrote
    const std::string lines = "{ echo qqdl://YQ==; n=0; until grep -sqx a " + out +
                              " || [ $n -ge 200 ]; do sleep 0.1; n=$((n+1)); done; "
                              "[ $n -lt 200 ] || echo qqdl://bGF0ZQ==; echo qqdl://Yg==; }";
    // The tool's standard input is the pipe from those lines, not the file that run() gives.
    const Outcome result = run({"--to", "http"}, {}, " <&3; }", lines + " | { exec 3<&0; ");
    EXPECT_EQ(std::tuple(result.out, result.status), std::tuple("a\nb\n", 0));
}

// A line too long for memory under a limit: the lines around it convert, and it is named, as
// is a line after it that is not UTF-8. Under the lower limit it runs out while the line is
// read, and what follows must not pass for a line of its own; under the higher one it runs
// out while it converts. AddressSanitizer reserves terabytes of address space, so there is
// no limit to try under it.
TEST(LinuxCli, ALineTooLongForMemoryIsNamedAndSkipped) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "no memory limit under AddressSanitizer";
#endif
    for (const auto& [limit, mib] : {std::pair("100000", 40), std::pair("250000", 60)}) {
        const std::string input = "qqdl://YQ==\nqqdl://Yg==\nhttp://" +
                                  std::string(std::size_t(mib) << 20, 'y') +
                                  "\nqqdl://Yw==\n\xFF\n";
        const Outcome result =
            run({"--to", "http"}, input, "", "ulimit -v " + std::string(limit) + " && ");
        EXPECT_EQ(std::tuple(result.out, result.status), std::tuple("a\nb\nc\n", 1)) << limit;
        for (const char* named : {"line 3 ", "line 5 "}) {
            EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
        }
    }
}

} // namespace
