#include "shell/control_table.h"

#include <gtest/gtest.h>
#include <set>

namespace orvanthe {
namespace {

TEST(ControlTable, ParentsComeFirstAndEveryFieldAndCommandHasOneControl) {
    std::set<int> tabIndexes;
    std::set<FieldId> fields;
    std::set<CommandId> commands;
    for (std::size_t k = 0; k < controls.size(); ++k) {
        const Control& control = controls[k];
        SCOPED_TRACE(control.name);
        const int parent = indexOfControl(control.parent);
        EXPECT_LT(parent, int(k));
        EXPECT_TRUE(parent >= 0 || control.parent == windowName);
        if (parent >= 0) {
            const ControlKind kind = controls[std::size_t(parent)].kind;
            EXPECT_TRUE(kind == ControlKind::Frame || kind == ControlKind::Picture);
        }
        EXPECT_TRUE(tabIndexes.insert(control.tabIndex).second);
        EXPECT_EQ(control.field.has_value(), control.kind == ControlKind::TextField);
        EXPECT_EQ(control.command.has_value(), control.kind == ControlKind::Button);
        if (control.field) {
            EXPECT_TRUE(fields.insert(*control.field).second);
        }
        if (control.command) {
            EXPECT_TRUE(commands.insert(*control.command).second);
        }
    }
    EXPECT_EQ(*tabIndexes.rbegin(), int(controls.size()) - 1);
    EXPECT_EQ(fields.size(), fieldCount);
    EXPECT_EQ(commands.size(), commandCount);
}

TEST(ControlTable, WorkFieldsLieBelowTheClientArea) {
    for (const auto name : {"xl", "kc", "xf"}) {
        EXPECT_GE(controls[std::size_t(indexOfControl(name))].top, clientHeightTwips) << name;
    }
}

TEST(ControlTable, TwipsBecomePixelsAtTheScreensDpi) {
    EXPECT_EQ(twipsToPixels(6390, 96), 426);
    EXPECT_EQ(twipsToPixels(3300, 96), 220);
    EXPECT_EQ(twipsToPixels(15, 96), 1);
    EXPECT_EQ(twipsToPixels(6390, 192), 852);
    EXPECT_EQ(twipsToPixels(25, 144), 3); // 2.5 pixels round up
}

} // namespace
} // namespace orvanthe
