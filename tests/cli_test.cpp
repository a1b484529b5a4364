// Runs the built orvanthe-link as a user would: arguments, standard input, exit status.
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
    std::string command = before + ORVANTHE_LINK;
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

const std::vector<std::string> forms = {"http", "thunder", "flashget", "qqdl"};
using orvanthe::test::cases;
constexpr auto utf8 = orvanthe::encodeUtf8;

Outcome run(const std::vector<std::u16string>& arguments, const std::string& input) {
    std::vector<std::string> bytes;
    std::ranges::transform(arguments, std::back_inserter(bytes), orvanthe::encodeUtf8);
    return run(bytes, input);
}

// Arguments that are not UTF-8 are named and skipped.
TEST(Cli, InvalidUtf8ArgumentsAreNamedAndSkipped) {
    const Outcome result = run({"--to", "http", "qqdl://YQ==", "\xed\xa0\x80", "qqdl://Yg=="});
    EXPECT_EQ(std::tuple(result.out, result.status), std::tuple("a\nb\n", 1));
    EXPECT_NE(result.err.find("argument 4"), std::string::npos) << result.err;
}

// Each input of the table that gives the link fields after its paste: the tool writes what
// the window shows and names each link written with "?" for a character the code page lacks.
TEST(Cli, EveryPasteGivesWhatTheWindowShows) {
    for (const auto& row : cases()) {
        for (std::size_t n = 0;
             row.form() >= 0 && row.cells.size() > 4 && plain(row.cells[0]) && n < 4; ++n) {
            const bool lost =
                row.cells.size() > 5 && utf8(row.cells[5]).find(forms[n]) != std::string::npos;
            const Outcome result = run({"--to=" + forms[n], utf8(row.cells[0])});
            EXPECT_EQ(std::tuple(result.out, result.err, result.status),
                      std::tuple(utf8(row.cells[n + 1]) + "\n",
                                 lost ? "orvanthe-link: argument 2: the " + forms[n] +
                                            " link has \"?\" for characters the code page lacks\n"
                                      : "",
                                 int(lost)))
                << row.line;
        }
    }
}

TEST(Cli, HelpNamesTheOptionAndEveryStatus) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* documented : {"--to FORM", "\n  0  ", "\n  1  ", "\n  2  ", "\n  3  "}) {
        EXPECT_NE(help.out.find(documented), std::string::npos) << documented;
    }
    EXPECT_EQ(run({"--version"}).out, "orvanthe-link " ORVANTHE_VERSION "\n");
}

// A failure to read or write is named with its reason, exit status 3.
TEST(Cli, ReadAndWriteFailuresExitWithStatusThree) {
    const std::pair<std::string, std::string> failures[] = {
        {" >/dev/full", "No space left on device"},
        {" >&-", "Bad file descriptor"},
        {" </", "Is a directory"},
        {" <&-", "Bad file descriptor"}};
    for (const auto& [redirect, reason] : failures) {
        for (const auto& arguments : {std::vector<std::string>{}, {"qqdl://YQ=="}, {"--help"}}) {
            const Outcome result = run(arguments, "qqdl://YQ==\n", redirect);
            const bool fails = redirect[1] == '>' || arguments.empty();
            EXPECT_EQ(result.status, fails ? 3 : 0) << redirect << " " << arguments.size();
            EXPECT_EQ(result.err.find(reason) != std::string::npos, fails) << result.err;
        }
    }
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

// A 60 MiB line under a memory limit: the lines around it convert, and it is named, as is a
// line after it that is not UTF-8. The lower limit runs out while the line is read, the higher
// one while it converts. AddressSanitizer reserves terabytes of address space, so there is no
// limit to try under it.
TEST(Cli, ALineTooLongForMemoryIsNamedAndSkipped) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "no memory limit under AddressSanitizer";
#endif
    const std::string input =
        "qqdl://YQ==\nqqdl://Yg==\nhttp://" + std::string(60 << 20, 'y') + "\nqqdl://Yw==\n\xFF\n";
    for (const std::string limit : {"100000", "250000"}) {
        const Outcome result = run({"--to", "http"}, input, "", "ulimit -v " + limit + " && ");
        EXPECT_EQ(std::tuple(result.out, result.status), std::tuple("a\nb\nc\n", 1)) << limit;
        for (const char* named : {"line 3 ", "line 5 "}) {
            EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
        }
    }
}

} // namespace

#include "cli_suite.h"
