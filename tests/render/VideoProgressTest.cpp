#include <gtest/gtest.h>

#include "render/VideoProgress.h"

namespace galleri {
namespace {

TEST(VideoProgressLine, FramesRateAndTimeLeft) {
    EXPECT_EQ(VideoProgressLine(0, 300, 1.24, 10), "[----------]  0/300 frames  1.2 s");
    EXPECT_EQ(VideoProgressLine(120, 300, 30, 10),
              "[####------]  120/300 frames  4.00 fps  0:45 left");
    EXPECT_EQ(VideoProgressLine(3, 9000, 3.5, 10),
              "[----------]  3/9000 frames  0.86 fps  2:54:57 left");
    EXPECT_EQ(VideoProgressLine(300, 300, 12, 4), "[####]  300/300 frames  25.0 fps  0:00 left");
}

}  // namespace
}  // namespace galleri
