// Runs the built orvanthe-link as a user would: arguments, standard input, exit status.
#include "cases.h"
#include "codec/utf8.h"

#include <algorithm>
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

// Runs the tool with `arguments` and `input` on standard input, through the shell.
Outcome run(const std::vector<std::string>& arguments, const std::string& input = {}) {
    const auto base = testing::TempDir() + "cli_" + std::to_string(getpid());
    std::ofstream(base + ".in", std::ios::binary) << input;
    std::string command = ORVANTHE_LINK;
    for (const auto& argument : arguments) {
        command += " '" + std::regex_replace(argument, std::regex("'"), "'\\''") + "'";
    }
    const int status =
        std::system((command + " <" + base + ".in >" + base + ".out 2>" + base + ".err").c_str());
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
    EXPECT_NE(help.out.find("--to FORM"), std::string::npos);
    EXPECT_EQ(run({"--version"}).out, "orvanthe-link " ORVANTHE_VERSION "\n");
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
