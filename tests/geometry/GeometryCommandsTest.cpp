#include <gtest/gtest.h>

#include "commands/Commands.h"
#include "geometry/Breastplate.h"
#include "geometry/GeometryTestSupport.h"
#include "geometry/KochSnowflake.h"
#include "geometry/Sierpinski.h"
#include "geometry/Snowflake13.h"
#include "geometry/Tree.h"

namespace galleri {
namespace {

using testing::Canvas;

// Each geometric command draws what its renderer draws from program start.
TEST(GeometryCommands, MenuCommandsRunTheirRenderers) {
    const struct {
        const char* item;
        void (*draw)(Surface&);
    } rows[] = {
        {"snowflake1", DrawKochSnowflake},       {"snow131", DrawSnowflake13},
        {"sierpinskitriangle1", DrawSierpinski}, {"trd1", DrawTree},
        {"faraosbrstplatta1", DrawBreastplate},
    };
    for (const auto& row : rows) {
        const Command* command = FindCommand(row.item);
        ASSERT_NE(command, nullptr) << row.item;
        EXPECT_TRUE(command->Enabled()) << row.item;
        Canvas viaMenu(483, 609);
        RunFigure(viaMenu.surface, *command);
        Canvas direct(483, 609);
        row.draw(direct.surface);
        EXPECT_EQ(viaMenu.surface.Picture(), direct.surface.Picture()) << row.item;
        EXPECT_TRUE(viaMenu.platform.FormEnabled());
    }
}

}  // namespace
}  // namespace galleri
