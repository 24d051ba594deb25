// The characters a profile name refuses, and the length rule of typed preset names.
#include <gtest/gtest.h>

#include "editor/portable/profilename.h"

using namespace kal;

TEST(ProfileNameRule, ForbiddenCharactersAreStripped) {
    EXPECT_EQ(StripForbiddenNameChars(L"a/b\\c&d?e*f g"), L"abcdef g");
    EXPECT_TRUE(IsForbiddenNameChar(L'?'));
    EXPECT_FALSE(IsForbiddenNameChar(L'-'));
}

TEST(ProfileNameRule, PresetNamesBeepOnceAtTheirLengthLimit) {
    EXPECT_TRUE(PresetNameLengthBeeps(250, false, L'x'));
    EXPECT_FALSE(PresetNameLengthBeeps(250, false, L'\b'));
    EXPECT_FALSE(PresetNameLengthBeeps(250, true, L'x'));
    EXPECT_FALSE(PresetNameLengthBeeps(249, false, L'x'));
    EXPECT_FALSE(PresetNameLengthBeeps(251, false, L'x'));
}
