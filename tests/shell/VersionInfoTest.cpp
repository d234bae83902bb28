#include <gtest/gtest.h>

#include <cstring>

#include "shell/VersionInfo.h"

namespace {

TEST(VersionInfoTest, AnswersTheProductVersionOfItsOwnModule) {
    VersionInfo info;
    char text[64];
    info.getProductVersion(text);
    EXPECT_STREQ(text, "1.0.0");
}

TEST(VersionInfoTest, AnswersTheCopyrightLine) {
    VersionInfo info;
    char text[64];
    info.getLegalCopyright(text);
    EXPECT_STREQ(text, "Copyright (C) 2026 Quillmere");
}

TEST(VersionInfoTest, CutsAStringToTheCallersBuffer) {
    VersionInfo info;
    char text[8];
    std::memset(text, 'x', sizeof text);
    info.getProductVersion(text, 4);
    EXPECT_STREQ(text, "1.0");
    EXPECT_EQ(text[4], 'x');
}

}  // namespace
