// Runs the built orvanthe-link as a user would: arguments, standard input, exit status.
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace std::string_literals;

struct Outcome {
    std::string out;
    std::string err;
    int status = -1;
};

std::string slurp(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Runs the tool with `arguments` and `input` on standard input.
Outcome run(const std::vector<std::string>& arguments, const std::string& input = {}) {
    // Named for this process, so that tests run in parallel keep apart.
    const auto base =
        std::filesystem::path(testing::TempDir()) / ("cli_" + std::to_string(getpid()));
    const auto in = base.string() + ".in", out = base.string() + ".out",
               err = base.string() + ".err";
    std::ofstream(in, std::ios::binary) << input;

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv{const_cast<char*>(ORVANTHE_LINK)};
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    Outcome result;
    pid_t pid = 0;
    if (posix_spawn(&pid, ORVANTHE_LINK, &files, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&files);
    result.out = slurp(out);
    result.err = slurp(err);
    for (const auto& file : {in, out, err}) {
        std::filesystem::remove(file);
    }
    return result;
}

const std::string address = "http://a.b/c.zip";
const std::string thunder = "thunder://QUFodHRwOi8vYS5iL2MuemlwWlo=";
const std::string flashget =
    "flashget://W0ZMQVNIR0VUXWh0dHA6Ly9hLmIvYy56aXBbRkxBU0hHRVRd&velkaron777";
const std::string qqdl = "qqdl://aHR0cDovL2EuYi9jLnppcA==";
const std::string all = address + "\n" + thunder + "\n" + flashget + "\n" + qqdl + "\n";

TEST(Cli, ConvertsEachFormToEachForm) {
    const std::pair<std::string, std::string> targets[] = {
        {"http", address}, {"thunder", thunder}, {"flashget", flashget}, {"qqdl", qqdl}};
    for (const auto& input :
         {address, thunder, flashget, qqdl, "QQDL://aHR0cDovL2EuYi9jLnppcA"s,
          "  Flashget://W0ZMQVNIR0VUXWh0dHA6Ly9hLmIvYy56aXBbRkxBU0hHRVRd&1926"s}) {
        for (const auto& [to, expected] : targets) {
            SCOPED_TRACE(input + " --to " + to);
            const Outcome result = run({"--to", to, input});
            EXPECT_EQ(result.out, expected + "\n");
            EXPECT_EQ(result.status, 0);
            EXPECT_EQ(result.err, "");
        }
        EXPECT_EQ(run({input}).out, all);
        EXPECT_EQ(run({"--to=all", input}).out, all);
    }
}

TEST(Cli, ReadsLinesFromStandardInput) {
    const Outcome result = run({"--to", "http"}, thunder + "\r\n\r\n" + qqdl + "\n\n" + flashget);
    EXPECT_EQ(result.out, address + "\n" + address + "\n" + address + "\n");
    EXPECT_EQ(result.status, 0);

    const Outcome each = run({}, address + "\n" + qqdl + "\n");
    EXPECT_EQ(each.out, all + "\n" + all);
}

TEST(Cli, ConvertsChineseThroughCodePage936AndReadsUtf8Bodies) {
    const std::string chinese = "http://中/文.zip";
    EXPECT_EQ(run({"--to", "qqdl", chinese}).out, "qqdl://aHR0cDovL9bQL87ELnppcA==\n");
    EXPECT_EQ(run({"--to", "thunder", "中"}).out, "thunder://QUHW0Fpa\n");
    // The same address, its body in code page 936 and in UTF-8.
    EXPECT_EQ(
        run({"--to", "http"}, "qqdl://aHR0cDovL9bQL87ELnppcA==\nqqdl://aHR0cDovL+S4rS/mlocuemlw\n")
            .out,
        chinese + "\n" + chinese + "\n");
}

TEST(Cli, LineBreaksInsideAResultAreEscaped) {
    // The address "a\r\nb%" behind a qqdl link.
    EXPECT_EQ(run({"--to", "http", "qqdl://YQ0KYiU="}).out, "a%0D%0Ab%\n");
}

TEST(Cli, InvalidUtf8IsNamedSkippedAndReported) {
    const Outcome lines = run({"--to", "http"}, qqdl + "\n\xff\xfe\n" + thunder + "\n\xc0\xaf\n");
    EXPECT_EQ(lines.out, address + "\n" + address + "\n");
    EXPECT_NE(lines.err.find("line 2"), std::string::npos) << lines.err;
    EXPECT_NE(lines.err.find("line 4"), std::string::npos) << lines.err;
    EXPECT_EQ(lines.status, 1);

    const Outcome arguments = run({"--to", "http", qqdl, "\xed\xa0\x80", thunder});
    EXPECT_EQ(arguments.out, address + "\n" + address + "\n");
    EXPECT_NE(arguments.err.find("argument 4"), std::string::npos) << arguments.err;
    EXPECT_EQ(arguments.status, 1);
}

TEST(Cli, UsageErrorsExitWithStatusTwo) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{{"--to"},
                                                                       {"--to", "ftp", address},
                                                                       {"--to=", address},
                                                                       {"-x", address},
                                                                       {"--verbose"}}) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const Outcome result = run(arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err, "");
    }
    EXPECT_EQ(run({"--", "-x"}).out.substr(0, 3), "-x\n");
}

TEST(Cli, HelpAndVersion) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--to FORM"), std::string::npos);
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "orvanthe-link " ORVANTHE_VERSION "\n");
}

TEST(Cli, AMegabyteInputConvertsCompletely) {
    std::string big = "http://example.com/";
    while (big.size() < (1u << 20)) {
        big += "目录/file-";
    }
    std::ostringstream input;
    input << big << "\n";
    const Outcome links = run({}, input.str());
    ASSERT_EQ(links.status, 0);
    std::istringstream lines(links.out);
    std::string line;
    std::vector<std::string> results;
    while (std::getline(lines, line)) {
        results.push_back(line);
    }
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results[0], big);
    // Each link taken apart again gives the whole address back.
    std::string back;
    for (std::size_t k = 1; k < 4; ++k) {
        back += results[k] + "\n";
    }
    EXPECT_EQ(run({"--to", "http"}, back).out, big + "\n" + big + "\n" + big + "\n");
}

} // namespace
