#include "app/window_mode.h"

#include <gtest/gtest.h>

namespace tickora {
namespace {

TEST(ClickThrough, FollowsTheSettingAndTheFocus) {
    int asked = 0;
    auto focused = [&] {
        ++asked;
        return true;
    };
    auto elsewhere = [&] {
        ++asked;
        return false;
    };

    EXPECT_FALSE(ClickThroughWanted(false, false, focused));
    EXPECT_FALSE(ClickThroughWanted(false, true, elsewhere));
    EXPECT_EQ(asked, 0) << "the focus is not asked while pass-through is off";

    EXPECT_TRUE(ClickThroughWanted(true, true, focused));
    EXPECT_EQ(asked, 0) << "nor while the focus is being lost";

    EXPECT_FALSE(ClickThroughWanted(true, false, focused));
    EXPECT_TRUE(ClickThroughWanted(true, false, elsewhere));
    EXPECT_EQ(asked, 2);
}

}  // namespace
}  // namespace tickora
