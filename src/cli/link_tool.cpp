#include "link_tool.h"

#include "codec/code_page.h"
#include "codec/utf8.h"

#include <cstdint>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

namespace orvanthe::cli {
namespace {

// Results are written in blocks of about this size, and standard input read in these.
constexpr std::size_t blockSize = 64 * 1024;

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

constexpr std::string_view usage = R"(Usage: orvanthe-link [--to FORM] [TEXT...]

Converts download addresses between the http address and the thunder://, flashget://
and qqdl:// links. Each TEXT is one input; with no TEXT, each line of standard input is
one (empty lines are skipped, a UTF-8 byte-order mark at its start is ignored, and input
that starts with a UTF-16 byte-order mark is read as UTF-16). A link
(its scheme in any case) is taken apart into its address; any other input is the address
itself. The requested forms of each address are written in UTF-8, one a line, each as
soon as its input is read. Control characters and bidirectional controls inside a result
(CR and LF among them) are written as percent-escapes of their UTF-8 bytes (%0D, %0A,
%E2%80%AE, ...), so that a result is one line and a terminal only shows it.

  --to FORM    http, thunder, flashget, qqdl, or all (the default): four lines for
               each input (address, thunder, flashget, qqdl), an empty line between
  --help       show this help and exit
  --version    show the version and exit
  --           all that follows is TEXT, even what begins with "-"

Exit status:
  0  every input converted
  1  an input was not valid UTF-8 (or UTF-16), held a NUL character or was too long
     for the memory available: it is named on standard error and skipped, and the
     other inputs are converted; or a link written would give another address back
     ("?" for characters the code page lacks): it is named on standard error
  2  usage error; nothing converted
  3  standard input could not be read or the results could not be written (the
     reason is on standard error)
When the program reading the results has gone (orvanthe-link < links | head -1),
the tool ends at once and says nothing, as the standard tools do: status 141.
)";

// The number of bytes of the character at the start of `bytes` (valid UTF-8) that a terminal
// obeys instead of showing: a control or a bidirectional control. 0 for any other.
std::size_t controlLength(std::string_view bytes) {
    const auto at = [bytes](std::size_t k) { return std::uint8_t(bytes[k]); };
    const std::uint8_t lead = at(0);
    if (lead < 0x20 || lead == 0x7F) {
        return 1;
    }
    if (lead == 0xC2 && bytes.size() >= 2 && at(1) <= 0x9F) { // U+0080-U+009F
        return 2;
    }
    if (lead == 0xE2 && bytes.size() >= 3) {
        const std::uint8_t second = at(1);
        const std::uint8_t third = at(2);
        if (second == 0x80 &&
            (third == 0x8E || third == 0x8F || (third >= 0xAA && third <= 0xAE))) {
            return 3; // U+200E, U+200F, U+202A-U+202E
        }
        if (second == 0x81 && third >= 0xA6 && third <= 0xA9) {
            return 3; // U+2066-U+2069
        }
    }
    return 0;
}

// Appends `bytes` (valid UTF-8) with each control character percent-escaped.
void appendShown(std::string_view bytes, std::string& out) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::size_t copied = 0; // bytes before this are in `out`
    for (std::size_t k = 0; k < bytes.size();) {
        const std::size_t length = controlLength(bytes.substr(k));
        if (length == 0) {
            ++k;
            continue;
        }
        out.append(bytes.substr(copied, k - copied));
        for (const char each : bytes.substr(k, length)) {
            out += '%';
            out += hex[std::uint8_t(each) >> 4];
            out += hex[std::uint8_t(each) & 0xF];
        }
        k += length;
        copied = k;
    }
    out.append(bytes.substr(copied));
}

// Turns the UTF-16 of a file saved as "Unicode" (either byte order) into UTF-8, block by block:
// a unit or a surrogate pair cut by a block's end waits for the next. A lone surrogate, or an
// odd byte at the end, becomes bytes that are no UTF-8, so that its line is named, not changed.
class Utf16Input {
public:
    explicit Utf16Input(bool bigEndian) : bigEndian_(bigEndian) {}

    // Appends the UTF-8 of `bytes` to `out`; at the end of the input (`last`) nothing waits.
    void convert(std::string_view bytes, bool last, std::string& out) {
        waiting_.append(bytes);
        units_.clear();
        for (std::size_t k = 0; k + 1 < waiting_.size(); k += 2) {
            const auto first = std::uint8_t(waiting_[k]);
            const auto second = std::uint8_t(waiting_[k + 1]);
            units_.push_back(char16_t(bigEndian_ ? first << 8 | second : second << 8 | first));
        }
        if (!last && !units_.empty() && units_.back() >= 0xD800 && units_.back() <= 0xDBFF) {
            units_.pop_back();
        }
        out += encodeUtf8(units_, LoneSurrogates::Keep);
        waiting_.erase(0, 2 * units_.size());
        if (last && !waiting_.empty()) {
            out += '\xFF';
            waiting_.clear();
        }
    }

private:
    bool bigEndian_;
    std::string waiting_;  // bytes of a unit or a pair not yet whole
    std::u16string units_; // those of one block
};

} // namespace

std::optional<Target> targetNamed(std::string_view name) {
    if (name == "all") {
        return linkForms;
    }
    for (std::size_t k = 0; k < linkForms.size(); ++k) {
        if (linkForms[k].name == name) {
            return Target(linkForms).subspan(k, 1);
        }
    }
    return std::nullopt;
}

LinkTool::LinkTool(Target target, StandardStreams& streams, bool batchPath)
    : target_(target), streams_(streams), form_(std::in_place, clipboard_), batchPath_(batchPath) {}

bool LinkTool::convert(std::string_view input, std::string_view kind, std::size_t number) {
    return (batchPath_ && convertFast(input)) || convertByForm(input, kind, number);
}

bool LinkTool::convertByForm(std::string_view input, std::string_view kind, std::size_t number) {
    const std::size_t before = pending_.size();
    FieldId field = FieldId::Text1;
    bool keptPasted = false;
    try {
        if (input.size() > longest_) {
            throw std::length_error("input");
        }
        const auto text =
            decodeUtf8({reinterpret_cast<const std::uint8_t*>(input.data()), input.size()});
        if (!text) {
            report(std::string(kind) + ' ' + std::to_string(number) + " is not valid " +
                   std::string(kind == "line" ? inputEncoding_ : "UTF-8") + "; skipped");
            return false;
        }

        // A link goes where its scheme says, anything else is an address typed into the http
        // field, and either is pasted there as in the window; the address alone needs no
        // links.
        field = fieldOfInput(*text);
        if (addressOnly()) {
            form_->setText(field, *text);
            form_->takeApart(field);
        } else {
            keptPasted = form_->fill(field, *text);
        }

        if (target_.size() > 1 && !firstResult_) {
            pending_ += '\n';
        }
        for (const LinkForm& form : target_) {
            write(form.field);
        }
    } catch (const std::bad_alloc&) {
        return skipTooLong(before, kind, number);
    } catch (const std::length_error&) { // a text past the largest size a string may have
        return skipTooLong(before, kind, number);
    }
    firstResult_ = false;
    const bool allKept =
        !reportLinksThatGiveAnotherAddress(keptPasted ? field : FieldId::Text1, kind, number);
    if (pending_.size() >= blockSize) {
        flush();
    }
    return allKept;
}

bool LinkTool::convertFast(std::string_view input) {
    const std::size_t before = pending_.size();
    try {
        if (input.size() > longest_) {
            throw std::length_error("input");
        }
        if (target_.size() > 1 && !firstResult_) {
            pending_ += '\n';
        }
        if (!batch_.fill(input, target_, pending_)) {
            pending_.resize(before);
            return false;
        }
    } catch (const std::bad_alloc&) {
        pending_.resize(before); // the form logic tries again and says what failed
        return false;
    } catch (const std::length_error&) {
        pending_.resize(before);
        return false;
    }
    firstResult_ = false;
    if (pending_.size() >= blockSize) {
        flush();
    }
    return true;
}

bool LinkTool::reportLinksThatGiveAnotherAddress(FieldId kept, std::string_view kind,
                                                 std::size_t number) {
    if (addressOnly()) {
        return false;
    }
    const std::string_view why = CodePage::ansi().hasAll(form_->text(FieldId::Text1))
                                     ? " link gives another address back"
                                     : " link has \"?\" for characters the code page lacks";
    bool reported = false;
    for (const LinkForm& form : target_) {
        if (!form.scheme.empty() && form.field != kept && !form_->givesBack(form.field)) {
            report(std::string(kind) + ' ' + std::to_string(number) + ": the " +
                   std::string(form.name) + std::string(why));
            reported = true;
        }
    }
    return reported;
}

bool LinkTool::convertLines() {
    std::vector<char> block(blockSize);
    std::string line;   // the start of a line that began in an earlier block
    bool fitted = true; // whether all of that line fitted in memory
    const auto keep = [this, &line, &fitted](std::string_view bytes) {
        if (!fitted) {
            return;
        }
        try {
            if (bytes.size() > longest_ - line.size()) {
                throw std::length_error("line");
            }
            line.append(bytes);
        } catch (const std::bad_alloc&) {
            fitted = false;
        } catch (const std::length_error&) {
            fitted = false;
        }
        if (!fitted) {
            line = std::string(); // the rest of this line is read and dropped
        }
    };

    bool allConverted = true;
    std::size_t number = 1;
    std::optional<Utf16Input> utf16; // where the input starts with a UTF-16 byte-order mark
    std::string converted;           // a block of such input in UTF-8
    std::size_t held = 0;            // bytes at the start of `block` read before, not yet used
    bool start = true;
    while (!failed_) {
        // Whatever reads the results sees them before the tool waits for more input; while
        // input keeps coming, they go out in blocks.
        if (!streams_.inputWaiting() && !flush()) {
            break;
        }
        const auto size = streams_.read(std::span(block).subspan(held));
        if (!size) {
            fail("read standard input");
            break;
        }
        const bool end = *size == 0;
        std::string_view bytes(block.data(), held + *size);
        held = 0;
        if (start) {
            // The two bytes of a UTF-16 byte-order mark may come one at a time.
            if (!end && bytes.size() < 2) {
                held = bytes.size();
                continue;
            }
            start = false;
            if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
                utf16.emplace(bytes[0] == '\xFE');
                inputEncoding_ = "UTF-16";
            }
        }
        if (utf16) {
            converted.clear();
            utf16->convert(bytes, end, converted);
            bytes = converted;
        }
        for (std::size_t lineEnd = bytes.find('\n'); lineEnd != std::string_view::npos && !failed_;
             lineEnd = bytes.find('\n')) {
            if (line.empty() && fitted) { // the whole line is in this block
                allConverted &= convertLine(bytes.substr(0, lineEnd), number++, true);
            } else {
                keep(bytes.substr(0, lineEnd));
                allConverted &= convertLine(line, number++, fitted);
                line = std::string();
                fitted = true;
            }
            bytes.remove_prefix(lineEnd + 1);
        }
        keep(bytes);
        if (end) {
            break;
        }
    }
    if (!failed_ && (!line.empty() || !fitted)) {
        allConverted &= convertLine(line, number, fitted);
    }
    return allConverted;
}

bool LinkTool::convertLine(std::string_view line, std::size_t number, bool fitted) {
    if (!fitted) {
        report("line " + std::to_string(number) + " is too long for the memory available; skipped");
        return false;
    }
    if (number == 1 && line.starts_with(byteOrderMark)) {
        line.remove_prefix(byteOrderMark.size());
    }
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    // A field's text would end at the NUL, and a part of the line would pass for all of it.
    if (line.find('\0') != std::string_view::npos) {
        report("line " + std::to_string(number) + " holds a NUL character; skipped");
        return false;
    }
    return line.empty() || convert(line, "line", number);
}

bool LinkTool::flush() {
    if (failed_ || pending_.empty()) {
        return !failed_;
    }
    if (!streams_.write(StandardStreams::Out::Output, pending_)) {
        failed_ = true;
        fail("write the results");
    }
    pending_.clear();
    if (pending_.capacity() > 2 * blockSize) {
        pending_ = std::string(); // the results of one huge input are not kept around
    }
    return !failed_;
}

void LinkTool::write(FieldId field) {
    appendShown(encodeUtf8(form_->text(field)), pending_);
    pending_ += '\n';
}

void LinkTool::report(std::string_view message) {
    flush(); // the results before the message come before it
    // Where even the message cannot be written, the exit status is all that tells.
    streams_.write(StandardStreams::Out::Error, "orvanthe-link: " + std::string(message) + '\n');
}

void LinkTool::fail(std::string_view what) {
    const std::string reason = streams_.failure();
    flush(); // the results converted before a read failed; none after a failed write
    failed_ = true;
    pending_.clear();
    report("cannot " + std::string(what) + ": " + reason);
}

// A conversion holds several texts the size of its input at once. Where they do not fit, none
// of this input's results is written, the fields let go of what they hold, and the next input
// starts afresh.
bool LinkTool::skipTooLong(std::size_t converted, std::string_view kind, std::size_t number) {
    pending_.resize(converted);
    form_.emplace(clipboard_);
    report(std::string(kind) + ' ' + std::to_string(number) +
           " is too long for the memory available; skipped");
    return false;
}

Status runLinkTool(std::span<const std::string> arguments, StandardStreams& streams) {
    using Out = StandardStreams::Out;
    const auto say = [&streams](std::string_view text) {
        if (streams.write(Out::Output, text)) {
            return Status::Converted;
        }
        streams.write(Out::Error, "orvanthe-link: cannot write: " + streams.failure() + '\n');
        return Status::Failed;
    };
    const auto usageError = [&streams](const std::string& message) {
        streams.write(Out::Error, "orvanthe-link: " + message + "\nTry 'orvanthe-link --help'.\n");
        return Status::Usage;
    };

    Target target = linkForms;
    std::vector<std::size_t> texts; // indexes of the TEXT arguments
    bool options = true;
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const std::string_view argument = arguments[k];
        if (!options || argument.size() < 2 || argument.front() != '-') {
            texts.push_back(k);
        } else if (argument == "--") {
            options = false;
        } else if (argument == "--help") {
            return say(usage);
        } else if (argument == "--version") {
            return say("orvanthe-link " ORVANTHE_VERSION "\n");
        } else if (argument == "--to" || argument.starts_with("--to=")) {
            if (argument == "--to" && k + 1 == arguments.size()) {
                return usageError("--to needs a FORM");
            }
            const std::string_view name =
                argument == "--to" ? std::string_view(arguments[++k]) : argument.substr(5);
            const auto named = targetNamed(name);
            if (!named) {
                return usageError("unknown FORM '" + std::string(name) +
                                  "' (http, thunder, flashget, qqdl or all)");
            }
            target = *named;
        } else {
            return usageError("unknown option '" + std::string(argument) + "'");
        }
    }

    LinkTool tool(target, streams);
    bool allConverted = texts.empty() ? tool.convertLines() : true;
    for (const std::size_t k : texts) {
        if (tool.failed()) {
            break;
        }
        // Numbered as the shell counts them, the program's name being 0.
        allConverted &= tool.convert(arguments[k], "argument", k + 1);
    }
    tool.flush();
    return tool.failed() ? Status::Failed : allConverted ? Status::Converted : Status::Reported;
}

} // namespace orvanthe::cli
