// The codec and the form logic over the table of cases, and what rows cannot hold: NUL at
// every place, the clipboard both ways; and the windows' reading of their command line.
#include "cases.h"
#include "codec/class1.h"
#include "codec/utf8.h"
#include "fake_clipboard.h"
#include "form/form1.h"
#include "shell/start_request.h"

#include <gtest/gtest.h>
#include <new>

namespace orvanthe {
namespace {

using namespace std::string_literals;
using namespace test;

// The revision of every field: a field whose revision stayed was not written.
std::vector<std::uint64_t> revisions(const Form1& form) {
    std::vector<std::uint64_t> all;
    for (std::size_t k = 0; k < fieldCount; ++k) {
        all.push_back(form.field(FieldId(k)).revision());
    }
    return all;
}

Visible visible(const Form1& form) {
    return {form.text(FieldId::Text1), form.text(FieldId::Text2), form.text(FieldId::Text3),
            form.text(FieldId::Text4)};
}

TEST(Codec, EncodesAndDecodesAsTheTableSays) {
    const Class1 codec;
    for (const auto& row : cases()) {
        SCOPED_TRACE(row.line);
        if (row.kind == "encode") {
            EXPECT_EQ(codec.Base64Encode(row.cells[0]), row.cells[1]);
        } else if (row.kind == "decode") {
            EXPECT_EQ(codec.Base64Decode(row.cells[0]), row.cells[1]);
        }
    }
}

// Each input pasted into its field gives what the table says, a copy takes the field's text,
// and the field's convert button writes Text1 (or, from Text1, the links) and nothing else.
TEST(Form, EveryInputPastedCopiedAndConverted) {
    FakeClipboard clipboard;
    for (const auto& [k, input, expected, line] : inputs()) {
        SCOPED_TRACE(line);
        const std::u16string typed = input.substr(0, input.find(u'\0'));
        const LinkForm& pasted = linkForms[k];
        EXPECT_EQ(fieldOfInput(typed), pasted.field);
        Form1 form(clipboard);
        clipboard.content = input;
        form.run(pasted.paste);
        Visible now = visible(form);
        now.resize(expected.size());
        EXPECT_EQ(now, expected);
        if (k == 0 && expected.size() == 4) { // the work fields keep the links' bodies
            EXPECT_EQ(form.text(FieldId::xl), expected[1].substr(10));
            EXPECT_EQ(form.text(FieldId::xf), expected[3].substr(7));
        }
        clipboard.content = u"stale";
        const auto before = revisions(form);
        form.run(pasted.copy);
        EXPECT_EQ(clipboard.content, form.text(pasted.field));
        EXPECT_EQ(revisions(form), before);

        Form1 converted(clipboard);
        converted.setText(pasted.field, input);
        converted.run(pasted.convert);
        Visible written = k == 0 ? visible(form) : Visible(4);
        written[0] = form.text(FieldId::Text1);
        written[k] = k == 0 ? written[0] : typed;
        EXPECT_EQ(visible(converted), written);
    }
}

// The form opens with empty fields (the work fields named); a clipboard that cannot be read
// changes no field, nor does any command that fails part way.
TEST(Form, OpensEmptyAndAnUnreadableClipboardOrAFailureChangesNothing) {
    FakeClipboard clipboard;
    Form1 form(clipboard);
    EXPECT_EQ(visible(form), Visible(4));
    EXPECT_EQ(form.text(FieldId::xl) + form.text(FieldId::kc) + form.text(FieldId::xf), u"xlkcxf");
    form.fill(FieldId::Text1, u"http://a.b/c.zip");
    clipboard.content = u"qqdl://YQ==";
    clipboard.held = true;
    const auto before = revisions(form);
    for (const LinkForm& each : linkForms) {
        form.run(each.paste);
    }
    clipboard.held = false;
    for (std::size_t c = 0; c < commandCount; ++c) {
        EXPECT_THROW(form.run(CommandId(c), [] { throw std::bad_alloc(); }), std::bad_alloc);
    }
    EXPECT_EQ(revisions(form), before);
}

// Every form of assignment, its own text or not: what precedes the first NUL, and a new
// revision, by which a window tells that the field was written.
TEST(Field, EveryAssignmentStopsAtTheFirstNulAndMayReuseItsOwnText) {
    Field field(u"start");
    std::uint64_t seen = field.revision();
    const auto wrote = [&] { return std::exchange(seen, field.revision()) != field.revision(); };
    field.assign({u"a", u"b\0c"s, u"d"});
    EXPECT_EQ(std::pair(field.text(), wrote()), std::pair(u"ab"s, true));
    field.assign(u"xy\0z"s);
    EXPECT_EQ(std::pair(field.text(), wrote()), std::pair(u"xy"s, true));
    field.assign({u"<", field.text(), u">"});
    EXPECT_EQ(std::pair(field.text(), wrote()), std::pair(u"<xy>"s, true));
    field.assign(std::u16string_view(field.text()).substr(1, 2));
    EXPECT_EQ(std::pair(field.text(), wrote()), std::pair(u"xy"s, true));
    field.assign({field.text(), std::u16string(100000, u'z')});
    EXPECT_EQ(field.text(), u"xy" + std::u16string(100000, u'z'));
}

// What the command-line tool writes: each character at the edges of its UTF-8 forms; a lone
// surrogate becomes U+FFFD.
TEST(Utf8, EncodesEachFormAndLoneSurrogatesAsReplacements) {
    EXPECT_EQ(encodeUtf8(u"\x7F\x80\xD800\xD800\xDC00\xDBFF\xDFFF\xDC00z\xD83D\xDE00"),
              "\x7F\xC2\x80\xEF\xBF\xBD\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xEF\xBF\xBDz"
              "\xF0\x9F\x98\x80");
}

// A link may carry quotes to smuggle options in behind it: an option counts only alone.
TEST(StartRequest, AnOptionCountsOnlyAsTheOneArgument) {
    using enum StartKind;
    using Arguments = std::vector<std::u16string_view>;
    const std::tuple<Arguments, StartKind, std::u16string_view> rows[] = {
        {{}, Window, u""},
        {{u"qqdl://", u"--unregister", u""}, Text, u"qqdl://"},
        {{u"--register"}, Register, u""},
        {{u"--unregister"}, Unregister, u""},
        {{u"--register", u"qqdl://"}, Usage, u""},
        {{u"--unregister", u"--unregister"}, Usage, u""},
        {{u"-"}, Usage, u""},
    };
    for (const auto& [arguments, kind, text] : rows) {
        const StartRequest request = startRequest(arguments);
        EXPECT_EQ(std::tuple(request.kind, std::u16string(request.text)),
                  std::tuple(kind, std::u16string(text)));
    }
}

} // namespace
} // namespace orvanthe
