// The end-to-end suite's main: one Wine session (prefix, Xvfb, wineserver)
// and one driver serve every test of the run and are torn down at its end.
#include <gtest/gtest.h>

#include "installer_test.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new e2e::WineEnvironment);
    return RUN_ALL_TESTS();
}
