#include "fake_clipboard.h"
#include "form/form1.h"

#include <array>
#include <gtest/gtest.h>
#include <new>
#include <string>

namespace orvanthe {
namespace {

using namespace std::string_literals;
using test::FakeClipboard;

constexpr std::u16string_view address = u"http://a.b/c.zip";
constexpr std::u16string_view thunder = u"thunder://QUFodHRwOi8vYS5iL2MuemlwWlo=";
constexpr std::u16string_view flashget =
    u"flashget://W0ZMQVNIR0VUXWh0dHA6Ly9hLmIvYy56aXBbRkxBU0hHRVRd&velkaron777";
constexpr std::u16string_view qqdl = u"qqdl://aHR0cDovL2EuYi9jLnppcA==";

class FormTest : public ::testing::Test {
protected:
    // The four visible fields, in order.
    std::array<std::u16string, 4> visible() const {
        return {form.text(FieldId::Text1), form.text(FieldId::Text2), form.text(FieldId::Text3),
                form.text(FieldId::Text4)};
    }
    std::array<std::uint64_t, fieldCount> revisions() const {
        std::array<std::uint64_t, fieldCount> all{};
        for (std::size_t k = 0; k < fieldCount; ++k) {
            all[k] = form.field(FieldId(k)).revision();
        }
        return all;
    }

    FakeClipboard clipboard;
    Form1 form{clipboard};
};

TEST_F(FormTest, OpensWithEmptyFieldsAndNamedWorkFields) {
    EXPECT_EQ(visible(), (std::array<std::u16string, 4>{}));
    EXPECT_EQ(form.text(FieldId::xl), u"xl");
    EXPECT_EQ(form.text(FieldId::kc), u"kc");
    EXPECT_EQ(form.text(FieldId::xf), u"xf");
}

TEST_F(FormTest, FieldsKeepWhatPrecedesTheFirstNul) {
    form.setText(FieldId::Text1, u"http://a\0b\0c"s);
    EXPECT_EQ(form.text(FieldId::Text1), u"http://a");
    form.setText(FieldId::xl, u"\0tail"s);
    EXPECT_EQ(form.text(FieldId::xl), u"");
}

TEST(Field, EveryFormOfAssignmentStopsAtTheFirstNul) {
    Field field(u"start");
    field.assign({u"a", u"b\0c"s, u"d"});
    EXPECT_EQ(field.text(), u"ab");
    field.assign(u"xyz\0"s);
    EXPECT_EQ(field.text(), u"xyz");
    // The field's own text, whole or in part, may be what it is given.
    field.assign({u"<", field.text(), u">"});
    EXPECT_EQ(field.text(), u"<xyz>");
    field.assign(std::u16string_view(field.text()).substr(1, 3));
    EXPECT_EQ(field.text(), u"xyz");
    field.assign({field.text(), std::u16string(100000, u'z')});
    EXPECT_EQ(field.text(), u"xy" + std::u16string(100001, u'z'));
    EXPECT_EQ(field.revision(), 6u);
}

TEST_F(FormTest, HttpToAllBuildsTheThreeLinks) {
    const std::array<std::u16string_view, 4> cases[] = {
        {address, thunder, flashget, qqdl},
        {u"", u"thunder://QUFaWg==", u"flashget://W0ZMQVNIR0VUXVtGTEFTSEdFVF0=&velkaron777",
         u"qqdl://"},
        {u"中", u"thunder://QUHW0Fpa", u"flashget://W0ZMQVNIR0VUXdbQW0ZMQVNIR0VUXQ==&velkaron777",
         u"qqdl://1tA="},
        {u" a ", u"thunder://QUEgYSBaWg==",
         u"flashget://W0ZMQVNIR0VUXSBhIFtGTEFTSEdFVF0=&velkaron777", u"qqdl://IGEg"},
    };
    for (const auto& [http, link2, link3, link4] : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(http)));
        form.setText(FieldId::Text1, http);
        for (int run = 0; run < 2; ++run) {
            form.run(CommandId::Command12);
            EXPECT_EQ(visible(), (std::array<std::u16string, 4>{
                                     std::u16string(http), std::u16string(link2),
                                     std::u16string(link3), std::u16string(link4)}));
        }
    }
    // The work fields hold the three Base64 bodies.
    EXPECT_EQ(form.text(FieldId::xl), u"QUEgYSBaWg==");
    EXPECT_EQ(form.text(FieldId::xf), u"IGEg");
}

struct LinkCase {
    const char* name;
    FieldId field;
    std::u16string link;
    std::u16string expected;
};

TEST_F(FormTest, LinksAreTakenApartIntoTheAddress) {
    const LinkCase cases[] = {
        {"thunder", FieldId::Text2, std::u16string(thunder), std::u16string(address)},
        {"flashget", FieldId::Text3, std::u16string(flashget), std::u16string(address)},
        {"qqdl", FieldId::Text4, std::u16string(qqdl), std::u16string(address)},
        {"empty thunder", FieldId::Text2, u"", u""},
        {"empty flashget", FieldId::Text3, u"", u""},
        {"empty qqdl", FieldId::Text4, u"", u""},
        {"scheme in any case", FieldId::Text2, u"THUNDER://QUFodHRwOi8vYS5iL2MuemlwWlo=",
         std::u16string(address)},
        {"Flashget with another tail", FieldId::Text3,
         u"Flashget://W0ZMQVNIR0VUXWh0dHA6Ly9hLmIvYy56aXBbRkxBU0hHRVRd&1926",
         std::u16string(address)},
        {"QQDL", FieldId::Text4, u"QqDl://aHR0cDovL2EuYi9jLnppcA==", std::u16string(address)},
        {"trailing CR LF", FieldId::Text2, std::u16string(thunder) + u"\r\n",
         std::u16string(address)},
        {"surrounding white space", FieldId::Text4,
         u" \t\u3000" + std::u16string(qqdl) + u"\u00A0 ", std::u16string(address)},
        {"scheme inside the body", FieldId::Text2,
         u"thunder://QUFodHRwOi8vYS5thunder://iL2MuemlwWlo=", std::u16string(address)},
        {"no padding", FieldId::Text4, u"qqdl://aHR0cDovL2EuYi9jLnppcA", std::u16string(address)},
        {"body of 4k+1", FieldId::Text4, u"qqdl://YWJjZ", u"abc"},
        {"zero byte inside", FieldId::Text4, u"qqdl://YQBi", u"a"},
        // "AA" and "ZZ" inside the address stay; only the wrapper goes.
        {"AA and ZZ inside", FieldId::Text2, u"thunder://QUFBQVpaWlo=", u"AAZZ"},
        {"wrapper inside", FieldId::Text3,
         u"flashget://W0ZMQVNIR0VUXVtGTEFTSEdFVF1bRkxBU0hHRVRd&velkaron777", u"[FLASHGET]"},
        // Bodies made elsewhere: UTF-8, and code page 936, both with Chinese.
        {"UTF-8 body", FieldId::Text4, u"qqdl://aHR0cDovL+S4rS/mlocuemlw", u"http://中/文.zip"},
        {"code page body", FieldId::Text4, u"qqdl://aHR0cDovL9bQL87ELnppcA==", u"http://中/文.zip"},
    };
    const CommandId command[] = {CommandId::Command9, CommandId::Command9, CommandId::Command10,
                                 CommandId::Command11};
    for (const auto& [name, field, link, expected] : cases) {
        SCOPED_TRACE(name);
        form.setText(FieldId::Text1, u"old");
        form.setText(field, link);
        const auto before = visible();
        form.run(command[std::size_t(field)]);
        EXPECT_EQ(form.text(FieldId::Text1), expected);
        // The other link fields are not touched.
        for (std::size_t k = 1; k < 4; ++k) {
            EXPECT_EQ(visible()[k], before[k]);
        }
    }
}

TEST_F(FormTest, PasteFillsInAllFourForms) {
    const LinkCase cases[] = {
        {"http", FieldId::Text1, std::u16string(address), std::u16string(address)},
        {"thunder", FieldId::Text2, std::u16string(thunder), std::u16string(address)},
        {"flashget", FieldId::Text3, std::u16string(flashget), std::u16string(address)},
        {"qqdl", FieldId::Text4, std::u16string(qqdl), std::u16string(address)},
        {"flashget with another tail", FieldId::Text3,
         u"flashget://W0ZMQVNIR0VUXWh0dHA6Ly9hLmIvYy56aXBbRkxBU0hHRVRd&abc\r\n",
         std::u16string(address)},
        {"untrimmed thunder", FieldId::Text2, u"  " + std::u16string(thunder) + u"\n",
         std::u16string(address)},
    };
    const CommandId paste[] = {CommandId::Command1, CommandId::Command3, CommandId::Command5,
                               CommandId::Command7};
    for (const auto& [name, field, link, expected] : cases) {
        SCOPED_TRACE(name);
        clipboard.content = link;
        form.run(paste[std::size_t(field)]);
        EXPECT_EQ(visible(),
                  (std::array<std::u16string, 4>{std::u16string(address), std::u16string(thunder),
                                                 std::u16string(flashget), std::u16string(qqdl)}));
        EXPECT_EQ(clipboard.content, link);
    }
}

TEST_F(FormTest, PastingAnEmptyClipboardEmptiesTheField) {
    form.setText(FieldId::Text1, address);
    clipboard.content.clear();
    form.run(CommandId::Command1);
    EXPECT_EQ(visible(), (std::array<std::u16string, 4>{
                             u"", u"thunder://QUFaWg==",
                             u"flashget://W0ZMQVNIR0VUXVtGTEFTSEdFVF0=&velkaron777", u"qqdl://"}));
}

TEST_F(FormTest, AClipboardThatCannotBeReadChangesNoField) {
    form.setText(FieldId::Text1, address);
    form.run(CommandId::Command12);
    clipboard.content = u"qqdl://YQ==";
    clipboard.held = true;
    const auto before = revisions();
    for (const auto paste :
         {CommandId::Command1, CommandId::Command3, CommandId::Command5, CommandId::Command7}) {
        form.run(paste);
    }
    EXPECT_EQ(revisions(), before);
    EXPECT_EQ(form.text(FieldId::Text1), address);
}

TEST_F(FormTest, ACommandThatFailsPartWayChangesNoField) {
    const std::array<std::u16string, 4> typed = {u"http://typed", u"thunder://QUFaWg==", u"x",
                                                 u"y"};
    for (std::size_t k = 0; k < 4; ++k) {
        form.setText(FieldId(k), typed[k]);
    }
    clipboard.content = qqdl;
    const auto before = revisions();
    for (std::size_t c = 0; c < commandCount; ++c) {
        EXPECT_THROW(form.run(CommandId(c), [] { throw std::bad_alloc(); }), std::bad_alloc);
        EXPECT_EQ(revisions(), before) << "Command" << c + 1;
        EXPECT_EQ(visible(), typed) << "Command" << c + 1;
    }
}

TEST_F(FormTest, CopyPutsTheFieldOnTheClipboardAndChangesNoField) {
    form.setText(FieldId::Text1, address);
    form.run(CommandId::Command12);
    const auto before = revisions();
    const std::pair<CommandId, std::u16string_view> cases[] = {
        {CommandId::Command2, address},
        {CommandId::Command4, thunder},
        {CommandId::Command6, flashget},
        {CommandId::Command8, qqdl},
    };
    for (const auto& [command, expected] : cases) {
        clipboard.content = u"stale";
        form.run(command);
        EXPECT_EQ(clipboard.content, expected);
    }
    EXPECT_EQ(revisions(), before);

    Form1 empty(clipboard);
    empty.run(CommandId::Command2);
    EXPECT_EQ(clipboard.content, u"");
}

TEST(FieldOfInput, RecognisesTheSchemeInAnyCaseAfterWhiteSpace) {
    const std::pair<std::u16string_view, FieldId> cases[] = {
        {u"http://a.b/", FieldId::Text1},
        {u"", FieldId::Text1},
        {u"thunder://QUFaWg==", FieldId::Text2},
        {u"  Thunder://x", FieldId::Text2},
        {u"\u3000FLASHGET://x", FieldId::Text3},
        {u"qqdl://", FieldId::Text4},
        {u"qqdl:/x", FieldId::Text1},
        {u"see thunder://x", FieldId::Text1},
    };
    for (const auto& [input, field] : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(input)));
        EXPECT_EQ(fieldOfInput(input), field);
    }
}

} // namespace
} // namespace orvanthe
