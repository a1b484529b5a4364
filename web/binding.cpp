// The page's way into the core: the window's form logic, the tool's batch conversion and
// the control table, as a WebAssembly module. Texts cross as arrays of UTF-16 units (fields,
// which may hold lone surrogates) or of UTF-8 bytes (the tool's streams); the JavaScript side
// copies each array it is given before it calls in again.
#include "cli/link_tool.h"
#include "codec/class1.h"
#include "form/form1.h"
#include "shell/control_table.h"

#include <cstdint>
#include <emscripten/bind.h>
#include <emscripten/val.h>
#include <memory>
#include <string>
#include <vector>

namespace orvanthe::web {
namespace {

using emscripten::val;

val units(std::u16string_view text) {
    return val(emscripten::typed_memory_view(text.size(),
                                             reinterpret_cast<const std::uint16_t*>(text.data())));
}

std::u16string fromUnits(const val& array) {
    const auto numbers = emscripten::convertJSArrayToNumberVector<std::uint16_t>(array);
    return {numbers.begin(), numbers.end()};
}

// The browser's clipboard, which a page reaches only asynchronously: the page reads it before
// a paste command and hands its text in (nothing when the browser refused), and writes out
// what a copy command left.
class PageClipboard final : public Clipboard {
public:
    std::optional<std::u16string> text() override { return given_; }
    void setText(std::u16string_view text) override { copied_ = text; }

    std::optional<std::u16string> given_;
    std::u16string copied_;
};

// The window's fields and commands, as the page shows them.
class Page {
public:
    Page() : form_(clipboard_) {}

    // The units of the field `field` (a FieldId), valid until the next call; none for a
    // number that names no field.
    val text(int field) const {
        return units(valid(field) ? std::u16string_view(form_.text(FieldId(field))) : u"");
    }
    double revision(int field) const {
        return valid(field) ? double(form_.field(FieldId(field)).revision()) : -1;
    }

    // What the person typed into a field. False when memory ran out: the field is unchanged.
    bool setText(int field, const val& text) {
        if (!valid(field)) {
            return false;
        }
        try {
            form_.setText(FieldId(field), fromUnits(text));
            return true;
        } catch (...) {
            return false;
        }
    }

    // Runs the command `command` (a CommandId) with `clipboard` as the clipboard's text
    // (null: unreadable). False when it could not complete: every field is as it was.
    bool run(int command, const val& clipboard) {
        clipboard_.given_.reset();
        clipboard_.copied_.clear();
        if (command < 0 || command >= int(commandCount)) {
            return false;
        }
        try {
            if (!clipboard.isNull() && !clipboard.isUndefined()) {
                clipboard_.given_ = fromUnits(clipboard);
            }
            form_.run(CommandId(command), [] {});
            return true;
        } catch (...) {
            return false;
        }
    }

    // What the last copy command put on the clipboard.
    val copied() const { return units(clipboard_.copied_); }

private:
    static bool valid(int field) { return field >= 0 && field < int(fieldCount); }

    PageClipboard clipboard_;
    Form1 form_;
};

// The visible field that `text` belongs in (a FieldId); -1 when memory ran out.
int fieldOf(const val& text) {
    try {
        return int(fieldOfInput(fromUnits(text)));
    } catch (...) {
        return -1;
    }
}

// Standard streams over memory: the input whole, each output collected. Reports the bytes
// read so far to `progress`, as the tool reads them in blocks.
class MemoryStreams final : public cli::StandardStreams {
public:
    MemoryStreams(std::string input, val progress)
        : input_(std::move(input)), progress_(std::move(progress)) {}

    std::optional<std::size_t> read(std::span<char> buffer) override {
        const std::size_t size =
            std::string_view(input_).substr(at_).copy(buffer.data(), buffer.size());
        at_ += size;
        if (progress_.typeOf().as<std::string>() == "function") {
            progress_(double(at_), double(input_.size()));
        }
        return size;
    }
    bool inputWaiting() override { return true; }
    bool write(Out stream, std::string_view bytes) override {
        out_[stream == Out::Output ? 0 : 1] += bytes;
        return true;
    }
    std::string failure() override { return "not enough memory"; }

    std::string out_[2];

private:
    std::string input_;
    std::size_t at_ = 0;
    val progress_;
};

val bytes(std::string_view text) {
    return val(emscripten::typed_memory_view(text.size(),
                                             reinterpret_cast<const std::uint8_t*>(text.data())));
}

// orvanthe-link with `arguments` on the UTF-8 bytes `input`: {output, errors, status}, the
// two outputs as UTF-8 bytes, valid until the next call; status -1 when memory ran out.
val runTool(const val& arguments, const val& input, const val& progress) {
    static std::unique_ptr<MemoryStreams> last;
    last.reset();
    val result = val::object();
    try {
        std::string text(input["length"].as<std::size_t>(), '\0');
        val(emscripten::typed_memory_view(text.size(),
                                          reinterpret_cast<std::uint8_t*>(text.data())))
            .call<void>("set", input);
        last = std::make_unique<MemoryStreams>(std::move(text), progress);
        const auto words = emscripten::vecFromJSArray<std::string>(arguments);
        const cli::Status status = cli::runLinkTool(words, *last);
        result.set("output", bytes(last->out_[0]));
        result.set("errors", bytes(last->out_[1]));
        result.set("status", int(status));
    } catch (...) {
        last.reset();
        result.set("status", -1);
    }
    return result;
}

// The controls the page shows, in the table's order: name, caption, help text, the field a
// label names, field and command (or -1), tab index.
val controlList() {
    val list = val::array();
    for (const Control& control : controls) {
        val item = val::object();
        item.set("name", std::string(control.name));
        item.set("caption", units(control.caption).call<val>("slice"));
        item.set("help", units(helpOf(control.name)).call<val>("slice"));
        item.set("label", std::string(fieldOfLabel(control.name)));
        item.set("field", control.field ? int(*control.field) : -1);
        item.set("command", control.command ? int(*control.command) : -1);
        item.set("tabIndex", control.tabIndex);
        list.call<void>("push", item);
    }
    return list;
}

// The codec alone, so that the module can be checked against the native build.
val base64Encode(const val& text) {
    static std::u16string last;
    last = Class1().Base64Encode(fromUnits(text));
    return units(last);
}

val base64Decode(const val& text) {
    static std::u16string last;
    last = Class1().Base64Decode(fromUnits(text));
    return units(last);
}

} // namespace

EMSCRIPTEN_BINDINGS(orvanthe) {
    emscripten::class_<Page>("Page")
        .constructor<>()
        .function("text", &Page::text)
        .function("revision", &Page::revision)
        .function("setText", &Page::setText)
        .function("run", &Page::run)
        .function("copied", &Page::copied);
    emscripten::function("fieldOfInput", &fieldOf);
    emscripten::function("runTool", &runTool);
    emscripten::function("controls", &controlList);
    emscripten::function("base64Encode", &base64Encode);
    emscripten::function("base64Decode", &base64Decode);
}

} // namespace orvanthe::web
