// Runs the built orvanthe-link as a user would: arguments, standard input, exit status.
#include "cases.h"
#include "codec/utf8.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using orvanthe::test::cases;
constexpr auto utf8 = orvanthe::encodeUtf8;

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

// Each form of each address in the table as an argument: by default all four forms come out,
// an empty line between inputs; with --to, the one asked for.
TEST(Cli, EachFormOfAnAddressGivesAllFour) {
    std::vector<std::string> inputs;
    std::string all;
    std::vector<std::string> one(4);
    for (const auto& row : cases()) {
        for (std::size_t k = 0; row.kind == "links" && k < 4; ++k) {
            inputs.push_back(utf8(row.cells[k]));
            all += (all.empty() ? "" : "\n");
            for (std::size_t n = 0; n < 4; ++n) {
                all += utf8(row.cells[n]) + "\n";
                one[n] += utf8(row.cells[n]) + "\n";
            }
        }
    }
    const Outcome result = run(inputs);
    EXPECT_EQ(std::tuple(result.out, result.err, result.status), std::tuple(all, "", 0));
    for (std::size_t n = 0; n < 4; ++n) {
        inputs.insert(inputs.begin(), n % 2 ? "--to=" + forms[n] : "--to");
        if (n % 2 == 0) {
            inputs.insert(inputs.begin() + 1, forms[n]);
        }
        EXPECT_EQ(run(inputs).out, one[n]) << forms[n];
        inputs.erase(inputs.begin(), inputs.begin() + (n % 2 ? 1 : 2));
    }
}

// Every input of the table at once, as arguments and as lines of standard input.
TEST(Cli, EveryInputGivesItsAddress) {
    std::vector<std::string> arguments = {"--to", "http"};
    std::string lines, expected;
    for (const auto& row : cases()) {
        if (row.form() >= 0 && plain(row.cells[0]) && plain(row.cells[1])) {
            arguments.push_back(utf8(row.cells[0]));
            lines += utf8(row.cells[0]) + (row.line % 2 ? "\r\n" : "\n\n");
            expected += utf8(row.cells[1]) + "\n";
        }
    }
    EXPECT_EQ(run(arguments).out, expected);
    const Outcome read = run({"--to", "http"}, lines);
    EXPECT_EQ(std::tuple(read.out, read.err, read.status), std::tuple(expected, "", 0));
    // Line breaks inside a result are escaped: the address "a\r\nb%" behind a qqdl link.
    EXPECT_EQ(run({"--to", "http", "qqdl://YQ0KYiU="}).out, "a%0D%0Ab%\n");
}

// Each input of the table that gives the link fields after its paste: the tool writes what
// the window shows and names each link written with "?" for a character the code page lacks.
TEST(Cli, EveryPasteGivesWhatTheWindowShows) {
    std::vector<std::string> inputs, out(5), err(5); // for each form, then all four
    for (const auto& row : cases()) {
        if (row.form() < 0 || row.cells.size() < 5 || !plain(row.cells[0])) {
            continue;
        }
        inputs.push_back(utf8(row.cells[0]));
        out[4] += inputs.size() == 1 ? "" : "\n";
        const std::string named = row.cells.size() > 5 ? utf8(row.cells[5]) : "";
        for (std::size_t n = 0; n < 4; ++n) {
            const std::string message = "orvanthe-link: argument " +
                                        std::to_string(inputs.size() + 1) + ": the " + forms[n] +
                                        " link has \"?\" for characters the code page lacks\n";
            const bool lost = named.find(forms[n]) != std::string::npos; // no name holds another
            out[n] += utf8(row.cells[n + 1]) + "\n";
            out[4] += utf8(row.cells[n + 1]) + "\n";
            err[n] += lost ? message : "";
            err[4] += lost ? message : "";
        }
    }
    for (std::size_t n = 0; n < 5; ++n) {
        inputs.insert(inputs.begin(), "--to=" + (n < 4 ? forms[n] : "all"));
        const Outcome result = run(inputs);
        EXPECT_EQ(std::tuple(result.out, result.err, result.status),
                  std::tuple(out[n], err[n], err[n].empty() ? 0 : 1));
        inputs.erase(inputs.begin());
    }
}

TEST(Cli, InvalidUtf8IsNamedSkippedAndReported) {
    const std::string qqdl = "qqdl://YQ==";
    const Outcome lines = run({"--to", "http"}, qqdl + "\n\xff\xfe\n" + qqdl + "\n\xc0\xaf\n");
    EXPECT_EQ(lines.out, "a\na\n");
    EXPECT_NE(lines.err.find("line 2"), std::string::npos) << lines.err;
    EXPECT_NE(lines.err.find("line 4"), std::string::npos) << lines.err;
    EXPECT_EQ(lines.status, 1);
    const Outcome arguments = run({"--to", "http", qqdl, "\xed\xa0\x80", qqdl});
    EXPECT_EQ(arguments.out, "a\na\n");
    EXPECT_NE(arguments.err.find("argument 4"), std::string::npos) << arguments.err;
    EXPECT_EQ(arguments.status, 1);
}

TEST(Cli, UsageErrorsExitWithStatusTwo) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--to"}, {"--to", "ftp", "a"}, {"--to=", "a"}, {"-x", "a"}, {"--verbose"}}) {
        const Outcome result = run(arguments);
        EXPECT_EQ(std::tuple(result.out, result.status), std::tuple("", 2)) << arguments[0];
        EXPECT_NE(result.err, "");
    }
    EXPECT_EQ(run({"--to", "http", "-", "--", "-x"}).out, "-\n-x\n");
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* documented : {"--to FORM", "\n  0  ", "\n  1  ", "\n  2  ", "\n  3  "}) {
        EXPECT_NE(help.out.find(documented), std::string::npos) << documented;
    }
    EXPECT_EQ(run({"--version"}).out, "orvanthe-link " ORVANTHE_VERSION "\n");
}

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

} // namespace
