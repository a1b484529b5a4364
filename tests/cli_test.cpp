// Runs the built orvanthe-link as a user would: arguments, standard input, exit status.
#include "cli_cases.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
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

// Where standard input comes from and standard output goes instead of files of the test's
// own; "" closes the stream.
struct Redirect {
    const char* in = nullptr;
    const char* out = nullptr;
};

// Runs `program` with `arguments` and `input` on standard input.
Outcome run(const std::vector<std::string>& arguments, const std::string& input = {},
            Redirect redirect = {}, const char* program = ORVANTHE_LINK) {
    // Named for this process, so that tests run in parallel keep apart.
    const auto base =
        std::filesystem::path(testing::TempDir()) / ("cli_" + std::to_string(getpid()));
    const auto in = base.string() + ".in", out = base.string() + ".out",
               err = base.string() + ".err";
    std::ofstream(in, std::ios::binary) << input;

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const auto open = [&files](int stream, const char* path, const std::string& own, int flags) {
        if (path && !*path) {
            posix_spawn_file_actions_addclose(&files, stream);
        } else {
            posix_spawn_file_actions_addopen(&files, stream, path ? path : own.c_str(), flags,
                                             0600);
        }
    };
    open(0, redirect.in, in, O_RDONLY);
    open(1, redirect.out, out, O_WRONLY | O_CREAT | O_TRUNC);
    open(2, nullptr, err, O_WRONLY | O_CREAT | O_TRUNC);
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    Outcome result;
    pid_t pid = 0;
    if (posix_spawn(&pid, program, &files, nullptr, argv.data(), environ) == 0) {
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

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
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

// The runs that give the same bytes on every platform.
TEST(Cli, SharedCases) {
    for (const auto& each : orvanthe::test::cliCases()) {
        SCOPED_TRACE(each.name);
        const Outcome result = run(each.arguments, each.input);
        EXPECT_EQ(result.out, each.output);
        EXPECT_EQ(result.status, each.status);
        EXPECT_EQ(result.err.empty(), each.status == 0) << result.err;
    }
}

TEST(Cli, SkippedInputsAreNamed) {
    const Outcome lines = run({"--to", "http"}, qqdl + "\n\xff\xfe\n" + thunder + "\n\xc0\xaf\n");
    EXPECT_TRUE(contains(lines.err, "line 2") && contains(lines.err, "line 4")) << lines.err;

    const Outcome arguments = run({"--to", "http", qqdl, "\xed\xa0\x80", thunder});
    EXPECT_EQ(arguments.out, address + "\n" + address + "\n");
    EXPECT_TRUE(contains(arguments.err, "argument 4")) << arguments.err;
    EXPECT_EQ(arguments.status, 1);
    EXPECT_EQ(run({"--", "-x"}).out.substr(0, 3), "-x\n");
}

TEST(Cli, HelpVersionAndTheExitStatuses) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* documented : {"--to FORM", "\n  0  ", "\n  1  ", "\n  2  ", "\n  3  "}) {
        EXPECT_TRUE(contains(help.out, documented)) << documented;
    }
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "orvanthe-link " ORVANTHE_VERSION "\n");
}

// Every character a terminal would obey, anywhere in a result, is written as the escapes of
// its UTF-8 bytes; its neighbours, and "%", stay as they are.
TEST(Cli, ControlCharactersAreEscaped) {
    const auto utf8 = [](char32_t c) {
        std::string bytes;
        if (c < 0x80) {
            bytes = {char(c)};
        } else if (c < 0x800) {
            bytes = {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
        } else {
            bytes = {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
        }
        return bytes;
    };
    std::vector<std::pair<char32_t, bool>> characters; // and whether it is escaped
    for (char32_t c = 1; c <= 0x20AF; ++c) {
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x200E || c == 0x200F ||
                             (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
        if (c < 0xA1 || (c >= 0x2000 && c < 0x2070) || c == 0x1E0E) {
            characters.emplace_back(c, control);
        }
    }
    std::vector<std::string> inputs;
    std::string expected;
    for (const auto& [c, control] : characters) {
        for (std::size_t at = 0; at < 10; ++at) { // before, within and after an 8-byte word
            const std::string text = utf8(c);
            std::string shown;
            for (const char byte : text) {
                char escape[4];
                std::snprintf(escape, sizeof escape, "%%%02X", unsigned(std::uint8_t(byte)));
                shown += control ? escape : std::string{byte};
            }
            const std::string before = "http://x/abcdefgh%" + std::string(at, 'y');
            inputs.push_back(before + text + "ijklmnopqrst");
            expected += before + shown + "ijklmnopqrst\n";
        }
    }
    const Outcome result = run([&] {
        std::vector<std::string> arguments{"--to", "http"};
        arguments.insert(arguments.end(), inputs.begin(), inputs.end());
        return arguments;
    }());
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.status, 0) << result.err;
}

// A failure to read or write is named with its reason, exit status 3.
TEST(Cli, ReadAndWriteFailuresExitWithStatusThree) {
    const struct {
        std::vector<std::string> arguments;
        Redirect redirect;
        std::string reason;
    } failures[] = {
        {{"--to", "http", thunder}, {nullptr, "/dev/full"}, "No space left on device"},
        {{"--help"}, {nullptr, "/dev/full"}, "No space left on device"},
        {{"--to", "http", thunder}, {nullptr, ""}, "Bad file descriptor"},
        {{"--to", "http"}, {"/", nullptr}, "Is a directory"},
        {{"--to", "http"}, {"", nullptr}, "Bad file descriptor"},
    };
    for (const auto& [arguments, redirect, reason] : failures) {
        SCOPED_TRACE(reason + " " + testing::PrintToString(arguments));
        const Outcome result = run(arguments, thunder + "\n", redirect);
        EXPECT_EQ(result.status, 3);
        EXPECT_TRUE(contains(result.err, reason)) << result.err;
    }
}

// Each result is written as soon as its line is read, before the tool waits for the next.
TEST(Cli, EachResultAppearsWhileInputGoesOn) {
    int input[2], output[2];
    ASSERT_EQ(pipe(input), 0);
    ASSERT_EQ(pipe(output), 0);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, input[0], 0);
    posix_spawn_file_actions_adddup2(&files, output[1], 1);
    for (const int end : {input[0], input[1], output[0], output[1]}) {
        posix_spawn_file_actions_addclose(&files, end);
    }
    char* argv[] = {const_cast<char*>(ORVANTHE_LINK), const_cast<char*>("--to=http"), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, ORVANTHE_LINK, &files, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&files);
    close(input[0]);
    close(output[1]);

    for (const std::string& link : {thunder, qqdl, flashget}) {
        ASSERT_EQ(write(input[1], (link + "\n").data(), link.size() + 1), ssize_t(link.size() + 1));
        std::string got;
        pollfd ready{output[0], POLLIN, 0};
        while (!contains(got, "\n") && poll(&ready, 1, 20'000) == 1) {
            char bytes[256];
            const ssize_t size = read(output[0], bytes, sizeof bytes);
            got.append(bytes, std::size_t(std::max<ssize_t>(size, 0)));
            if (size <= 0) {
                break;
            }
        }
        EXPECT_EQ(got, address + "\n") << link;
    }
    close(input[1]);
    close(output[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0);
}

// Memory limits mean nothing to AddressSanitizer, which reserves terabytes of address space.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
constexpr bool sanitized = __has_feature(address_sanitizer);
#else
constexpr bool sanitized = false;
#endif

// A 60 MiB line under a memory limit: the lines around it convert, and it is named. The lower
// limit runs out while the line is read, the higher one while it converts.
TEST(Cli, ALineTooLongForMemoryIsNamedAndSkipped) {
    if (sanitized) {
        GTEST_SKIP() << "no memory limit under AddressSanitizer";
    }
    for (const char* limit : {"100000", "250000"}) {
        SCOPED_TRACE(limit);
        const std::string script = "{ printf '" + thunder + "\\n" + qqdl +
                                   "\\nhttp://x/'; head -c 62914560 /dev/zero | tr '\\0' y; "
                                   "printf '\\n" +
                                   flashget +
                                   "\\n'; } | "
                                   "(ulimit -v " +
                                   limit + " && exec \"$0\" --to http)";
        const Outcome result = run({"-c", script, ORVANTHE_LINK}, {}, {}, "/bin/sh");
        EXPECT_EQ(result.out, address + "\n" + address + "\n" + address + "\n");
        EXPECT_TRUE(contains(result.err, "line 3 ")) << result.err;
        EXPECT_EQ(result.status, 1);
    }
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
