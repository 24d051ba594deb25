// The characters a profile name refuses.
#include <gtest/gtest.h>

#include "editor/portable/profilename.h"

using namespace kal;

TEST(ProfileNameRule, ForbiddenCharactersAreStripped) {
    EXPECT_EQ(StripForbiddenNameChars(L"a/b\\c&d?e*f g"), L"abcdef g");
    EXPECT_TRUE(IsForbiddenNameChar(L'?'));
    EXPECT_FALSE(IsForbiddenNameChar(L'-'));
}
