#include "base/propstore.h"

#include <gtest/gtest.h>

using namespace kal;

namespace {

const void* Handle(std::intptr_t v) { return reinterpret_cast<const void*>(v); }

TEST(WindowPropertyStore, MissingReadsZeroAndStoresReplace) {
    const void* h = Handle(0x1234);
    EXPECT_EQ(GetWindowProp(h, L"never"), 0);
    EXPECT_EQ(GetWindowProp(Handle(0x999), L"x"), 0);
    EXPECT_EQ(SetWindowProp(h, L"Value", 5), 1);
    EXPECT_EQ(SetWindowProp(h, L"value", 7), 1);
    EXPECT_EQ(GetWindowProp(h, L"VALUE"), 7);
    EXPECT_EQ(WindowPropCount(h), 1u);
    RemoveWindowProp(h, L"vAlUe");
    EXPECT_EQ(WindowPropCount(h), 0u);
}

TEST(WindowPropertyStore, ZeroIsKeptUntilRemovedAndLastRemovalDropsTheWindow) {
    const void* h = Handle(0x2345);
    SetWindowProp(h, L"LC", 0);
    SetWindowProp(h, L"Modal", 1);
    EXPECT_EQ(WindowPropCount(h), 2u);
    EXPECT_EQ(GetWindowProp(h, L"LC"), 0);
    RemoveWindowProp(h, L"missing");
    EXPECT_EQ(WindowPropCount(h), 2u);
    RemoveWindowProp(h, L"LC");
    RemoveWindowProp(h, L"Modal");
    EXPECT_TRUE(WindowPropNames(h).empty());
    SetWindowProp(h, L"again", 3);
    EXPECT_EQ(GetWindowProp(h, L"again"), 3);
    RemoveWindowProp(h, L"again");
    // Other windows are separate.
    SetWindowProp(Handle(1), L"a", 1);
    EXPECT_EQ(GetWindowProp(Handle(2), L"a"), 0);
    RemoveWindowProp(Handle(1), L"a");
}

TEST(WindowPropertyStore, HandleTextIsSignedDecimal) {
    EXPECT_EQ(HandleText(Handle(1234)), L"1234");
    EXPECT_EQ(HandleText(Handle(static_cast<std::intptr_t>(0xFFFFFFFE))), L"-2");
}

}  // namespace
