// orvanthe-link: converts addresses and links in batches, as the window does one at a time.
// This is its POSIX side: the arguments as they are, the standard streams as descriptors.
#include "link_tool.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class PosixStreams final : public orvanthe::cli::StandardStreams {
public:
    std::optional<std::size_t> read(std::span<char> buffer) override {
        for (;;) {
            const ssize_t size = ::read(STDIN_FILENO, buffer.data(), buffer.size());
            if (size >= 0) {
                return std::size_t(size);
            }
            if (errno != EINTR) {
                error_ = errno;
                return std::nullopt;
            }
        }
    }

    bool inputWaiting() override {
        // A regular file always has its bytes or its end at hand, as poll would say each time.
        if (!regularFile_) {
            struct stat status {};
            regularFile_ = ::fstat(STDIN_FILENO, &status) == 0 && S_ISREG(status.st_mode);
        }
        if (*regularFile_) {
            return true;
        }
        // Data, the end, or an error: each makes the next read return at once.
        pollfd input{STDIN_FILENO, POLLIN, 0};
        return ::poll(&input, 1, 0) == 1;
    }

    bool write(Out stream, std::string_view bytes) override {
        const int descriptor = stream == Out::Output ? STDOUT_FILENO : STDERR_FILENO;
        while (!bytes.empty()) {
            const ssize_t size = ::write(descriptor, bytes.data(), bytes.size());
            if (size < 0 && errno != EINTR) {
                error_ = errno;
                return false;
            }
            bytes.remove_prefix(std::size_t(std::max<ssize_t>(size, 0)));
        }
        return true;
    }

    std::string failure() override { return std::strerror(error_); }

private:
    int error_ = 0;
    std::optional<bool> regularFile_; // whether standard input is one, once asked
};

} // namespace

int main(int argc, char** argv) {
    // When the reader of the output has gone (`orvanthe-link < links.txt | head -1`), the tool
    // ends at once and says nothing, as the standard tools do, whatever its parent ignored.
    std::signal(SIGPIPE, SIG_DFL);
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    PosixStreams streams;
    return int(orvanthe::cli::runLinkTool(arguments, streams));
}
