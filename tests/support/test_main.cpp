// The tests' main: the imaging library is up for the whole run, as in the clock.
#include <gtest/gtest.h>

#include "imaging/imaging.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const std::uintptr_t token = tickora::imaging::StartImaging();
    const int result = RUN_ALL_TESTS();
    tickora::imaging::StopImaging(token);
    return result;
}
