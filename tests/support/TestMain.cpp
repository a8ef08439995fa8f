// The main function of every test executable.
//
// Before any test runs, the C: drive is pointed at a fresh temporary folder
// (tests never touch the user's real drive_c), and debugger output is kept
// quiet unless asked for.
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    testing::InitGoogleMock(&argc, argv);
    kestrova::test::TempDir driveC("drive_c");
    setenv("KESTROVA_DRIVE_C", driveC.Path().c_str(), 1);
    return RUN_ALL_TESTS();
}
