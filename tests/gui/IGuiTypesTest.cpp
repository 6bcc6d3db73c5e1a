// The value types and the input tables every window layer shares.
#include "gui/IGuiTypes.h"
#include "gui/IInputMap.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(IArea, UnionAndIntersectionTreatAllZeroAsEmpty)
{
    struct Case
    {
        IArea a, b, uni, inter;
    };
    const Case cases[] = {
        {{}, {1, 2, 3, 4}, {1, 2, 3, 4}, {}},
        {{1, 2, 3, 4}, {}, {1, 2, 3, 4}, {}},
        {{0, 0, 10, 10}, {5, 5, 20, 20}, {0, 0, 20, 20}, {5, 5, 10, 10}},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 0, 20, 10}, {}}, // touching edges do not overlap
        {{-5, -5, 5, 5}, {-10, 0, 0, 10}, {-10, -5, 5, 10}, {-5, 0, 0, 5}},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.a.Union(c.b), c.uni) << c.a.left << "," << c.b.left;
        EXPECT_EQ(c.a.Intersect(c.b), c.inter) << c.a.left << "," << c.b.left;
    }
}

TEST(IArea, HitTestIncludesAllFourEdges)
{
    const IArea a{10, 20, 30, 40};
    EXPECT_TRUE(a.Contains(10, 20));
    EXPECT_TRUE(a.Contains(30, 40));
    EXPECT_FALSE(a.Contains(9, 20));
    EXPECT_FALSE(a.Contains(30, 41));
}

TEST(IBlend, ModeWordsOfTheDrawingLibrary)
{
    const struct
    {
        int32_t mode, word;
    } cases[] = {{0, 0x10000}, {1, 0}, {2, 0x10001}, {3, 0x10002}, {7, 0x10000}, {-1, 0x10000}};
    for (const auto& c : cases)
    {
        const IBlend b{c.mode, 0.5f};
        EXPECT_EQ(IBlend::ModeWord(&b), c.word) << "mode " << c.mode;
    }
    EXPECT_EQ(IBlend::ModeWord(nullptr), 0x10000);
    EXPECT_EQ(IBlend::Weight(nullptr), 1.0f);
}

TEST(IRgba, PacksAsAARRGGBB)
{
    EXPECT_EQ((IRgba{0x80, 0x12, 0x34, 0x56}.Packed()), 0x80123456u);
    EXPECT_EQ((IRgba{256 + 1, 0, 0, 0}.Packed()), 0x01000000u) << "channels are cut to 8 bits";
}

TEST(IInputMap, KeyCodeTable)
{
    using IInputMap::NamedKey;
    const struct
    {
        NamedKey named;
        int32_t value, code;
    } cases[] = {
        {NamedKey::kSpace, 0, 0},   {NamedKey::kUp, 0, 1},      {NamedKey::kDown, 0, 2},
        {NamedKey::kLeft, 0, 3},    {NamedKey::kRight, 0, 4},   {NamedKey::kNone, ' ', 0},
        {NamedKey::kNone, '0', 6},  {NamedKey::kNone, '9', 15}, {NamedKey::kNone, 'A', 16},
        {NamedKey::kNone, 'Z', 41}, {NamedKey::kNone, 'a', 16}, {NamedKey::kNone, 'z', 41},
        {NamedKey::kNone, '@', -1}, {NamedKey::kNone, 27, -1},  {NamedKey::kNone, 0xFF0D, -1},
        {NamedKey::kNone, -65, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IInputMap::KeyCodeFor(c.named, c.value), c.code) << "value " << c.value;
}

TEST(IInputMap, WheelNotchesAreWholeSigned16BitSteps)
{
    const struct
    {
        int32_t raw, notches;
    } cases[] = {{0, 0},     {60, 0},  {-60, 0},     {119, 0},    {120, 1},
                 {-120, -1}, {359, 2}, {0xFF88, -1}, {0x10078, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(IInputMap::WheelNotches(c.raw), c.notches) << "delta " << c.raw;

    EXPECT_EQ(IInputMap::HostWheelNotches(2.9f), 2);
    EXPECT_EQ(IInputMap::HostWheelNotches(-0.5f), 0);
    EXPECT_EQ(IInputMap::HostWheelNotches(std::nanf("")), 0);
    EXPECT_EQ(IInputMap::HostWheelNotches(1e30f), 32767) << "no undefined float-to-int conversion";
    EXPECT_EQ(IInputMap::HostWheelNotches(-INFINITY), -32768);
}
