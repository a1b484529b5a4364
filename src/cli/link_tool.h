#pragma once

#include "batch_fill.h"
#include "form/clipboard.h"
#include "form/form1.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvanthe::cli {

// The forms the tool writes, in the order of their fields: one of them, or all four.
using Target = std::span<const LinkForm>;

// The target named `name`: the name of a form, or "all".
std::optional<Target> targetNamed(std::string_view name);

// The tool's exit statuses.
enum class Status {
    Converted = 0, // every input converted
    Reported = 1,  // an input was named on standard error: skipped, or a link has "?"
    Usage = 2,     // the arguments made no sense; nothing was converted
    Failed = 3,    // standard input could not be read or a result could not be written
};

// Standard input, output and error as the platform provides them. Every platform reads and
// writes UTF-8 through this; what it takes to reach a terminal, a console, a pipe or a file
// stays behind it.
class StandardStreams {
public:
    enum class Out { Output, Error };

    virtual ~StandardStreams() = default;

    // Reads at most `buffer.size()` bytes of standard input into `buffer`: how many were
    // read, 0 at the end of the input, nothing when it cannot be read (see failure()).
    virtual std::optional<std::size_t> read(std::span<char> buffer) = 0;

    // Whether standard input has bytes that a read would return without waiting, or its end.
    virtual bool inputWaiting() = 0;

    // Writes all of `bytes`, whole lines of UTF-8, to standard output or standard error;
    // false when that failed (see failure()).
    virtual bool write(Out stream, std::string_view bytes) = 0;

    // Why the last read or write failed, in the system's words.
    virtual std::string failure() = 0;
};

// Converts inputs as the window does, through the same form logic, and writes the requested
// forms in UTF-8, one a line. What it writes never drives a terminal: the control characters
// (U+0000-U+001F, U+007F-U+009F) and the bidirectional controls (U+200E, U+200F,
// U+202A-U+202E, U+2066-U+2069) in a result are written as percent-escapes of their UTF-8
// bytes, so a result is always one line and shows what it holds; "%" itself stays as it is.
// With all four forms an input gives four lines (address, thunder, flashget, qqdl) and an empty
// line separates inputs.
//
// Results are collected and written in blocks; flush() writes what is collected.
class LinkTool {
public:
    // Without `batchPath` every input goes through the form logic, which defines the results;
    // the tests compare the two.
    LinkTool(Target target, StandardStreams& streams, bool batchPath = true);

    // Converts one input given as UTF-8 bytes. An input that is not valid UTF-8 or that does
    // not fit in memory is reported on standard error by `kind` and `number` ("line 7"),
    // skipped, and gives false. A link written with "?" for characters of its address that
    // the code page lacks is written, named the same way, and gives false; a pasted link
    // that would so change is written as it was given, as the window keeps it.
    bool convert(std::string_view input, std::string_view kind, std::size_t number);

    // Converts each line of standard input (LF or CR LF line ends, a UTF-8 byte-order mark
    // at the start ignored, UTF-16 where it starts with that byte-order mark), skipping empty
    // lines; a line holding a NUL character is named and skipped. Holds one line in memory at a
    // time, and writes what it has whenever no more input is waiting, so that each result of a line
    // typed or piped in slowly appears at once. False when any line was skipped.
    bool convertLines();

    // Writes the results collected so far; false when that failed.
    bool flush();

    // Whether reading or writing failed: that was reported, and nothing more is written.
    bool failed() const { return failed_; }

    // The longest input, in bytes, that the tool holds; a longer one is named and skipped as
    // one that does not fit in memory. Past the largest size a string may have (about 1 GiB
    // for a 32-bit program) std::length_error says so; a test lowers the limit to see it.
    void limitInput(std::size_t bytes) { longest_ = bytes; }

private:
    // The tool has no clipboard: its inputs arrive as arguments and lines.
    class NoClipboard : public Clipboard {
    public:
        std::optional<std::u16string> text() override { return std::nullopt; }
        void setText(std::u16string_view) override {}
    };

    bool convertLine(std::string_view line, std::size_t number, bool fitted);
    // Collects the results of `input` by the batch path, where it takes the input.
    bool convertFast(std::string_view input);
    // Converts `input` as convert() does, through the form logic.
    bool convertByForm(std::string_view input, std::string_view kind, std::size_t number);
    void write(FieldId field);
    void report(std::string_view message);
    void fail(std::string_view what);
    // Drops the results of the input past `converted`, lets go of the fields, reports the
    // input as too long and gives false.
    bool skipTooLong(std::size_t converted, std::string_view kind, std::size_t number);

    // Names each link just written that would not take apart to the address it was built
    // from ("?" for characters the code page lacks, or bytes that read another way), all but
    // the field `kept`, which holds the input itself (Text1: none kept). Gives whether it
    // named one.
    bool reportLinksThatGiveAnotherAddress(FieldId kept, std::string_view kind, std::size_t number);
    // Whether the address is all that is written, which needs no links.
    bool addressOnly() const { return target_.size() == 1 && target_[0].scheme.empty(); }

    Target target_;
    StandardStreams& streams_;
    NoClipboard clipboard_;
    std::optional<Form1> form_;
    BatchFill batch_;
    bool batchPath_;
    bool firstResult_ = true;
    bool failed_ = false;
    std::string pending_;                      // results not yet written
    std::string_view inputEncoding_ = "UTF-8"; // of standard input, as its start says
    std::size_t longest_ = std::string().max_size();
};

// The whole tool: reads the options in `arguments` (UTF-8, without the program's name),
// converts the inputs they name or standard input, and gives the exit status.
Status runLinkTool(std::span<const std::string> arguments, StandardStreams& streams);

} // namespace orvanthe::cli
