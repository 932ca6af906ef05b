// Library names: the Windows names the product uses map to this system's files.
#include <gtest/gtest.h>

#include "platform/dynlib.h"

TEST(NativeLibraryName, MapsWindowsNamesAndKeepsNativeOnes) {
    EXPECT_EQ(platform::NativeLibraryName("crypt.dll"), "crypt.so");
    EXPECT_EQ(platform::NativeLibraryName("FLDTTS.DLL"), "FLDTTS.so");
    EXPECT_EQ(platform::NativeLibraryName("lexqapi"), "lexqapi.so");
    EXPECT_EQ(platform::NativeLibraryName("/opt/tk/crypt.so"), "/opt/tk/crypt.so");
    EXPECT_EQ(platform::NativeLibraryName("dir.dll/crypt"), "dir.dll/crypt.so");
}

TEST(LoadLibraryFromPath, MissingFileFailsWithTheSystemsReason) {
    EXPECT_EQ(platform::LoadLibraryFromPath("/nonexistent/folder/crypt.so"), nullptr);
}
