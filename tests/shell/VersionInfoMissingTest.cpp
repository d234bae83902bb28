#include <gtest/gtest.h>

#include "shell/VersionInfo.h"

namespace {

// This program carries no version block.
TEST(VersionInfoMissingTest, AModuleWithoutVersionBlockAnswersEmptyTexts) {
    VersionInfo info;
    char text[64] = "unchanged";
    info.getProductVersion(text);
    EXPECT_STREQ(text, "");
    char copyright[64] = "unchanged";
    info.getLegalCopyright(copyright);
    EXPECT_STREQ(copyright, "");
}

}  // namespace
