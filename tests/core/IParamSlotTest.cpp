#include "core/IParamSlot.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace
{
std::string Format(const IParamSlot& p, double v, bool normalized = false)
{
    char out[IParamSlot::kTextSize];
    p.FormatValue(v, normalized, out);
    return out;
}

IParamSlot Real(double min, double max, double step, double shape = 1.0)
{
    IParamSlot p;
    p.InitReal("Release", 9.0, min, max, step, "ms");
    p.SetShape(shape);
    return p;
}
} // namespace

TEST(IParamSlot, InitRealDerivesPrecisionFromStepAndRaisesDegenerateMaximum)
{
    EXPECT_EQ(Real(0, 100, 0.1).displayPrecision, 1);
    EXPECT_EQ(Real(0, 100, 0.25).displayPrecision, 2);
    EXPECT_EQ(Real(0, 100, 1.0).displayPrecision, 0);
    EXPECT_EQ(Real(0, 100, 1e-9).displayPrecision, 6);

    IParamSlot degenerate = Real(0, 0, 1.0);
    EXPECT_EQ(degenerate.maximum, 1.0);
    EXPECT_EQ(degenerate.kind, IParamSlot::kReal);

    IParamSlot outside;
    outside.InitReal("x", 500.0, 0, 10, 1, "");
    EXPECT_EQ(outside.value, 500.0) << "a default outside the range is stored unchanged";
}

TEST(IParamSlot, InitIntegerKeepsAnEarlierKind)
{
    IParamSlot p;
    p.InitInteger("Stereo Link", 70, 0, 100, "%");
    EXPECT_EQ(p.kind, IParamSlot::kInteger);
    EXPECT_EQ(p.step, 1.0);
    EXPECT_EQ(p.value, 70.0);

    IParamSlot q;
    q.kind = IParamSlot::kIntegerB;
    q.InitInteger("x", 1, 0, 3, "");
    EXPECT_EQ(q.kind, IParamSlot::kIntegerB);
}

TEST(IParamSlot, SetShapeIgnoresZero)
{
    IParamSlot p = Real(0, 100, 0.1, 2.0);
    p.SetShape(0.0);
    EXPECT_EQ(p.shape, 2.0);
}

TEST(IParamSlot, SetFromNormalizedSnapsOnlyIntegerKinds)
{
    IParamSlot integer;
    integer.InitInteger("Target", 5, 0, 15, "dB");
    integer.SetFromNormalized(0.5);
    EXPECT_EQ(integer.value, 8.0) << "7.5 snaps up to 8";

    IParamSlot linear = Real(0, 100, 0.1);
    linear.SetFromNormalized(0.5);
    EXPECT_EQ(linear.value, 50.0);
    linear.SetFromNormalized(0.123456);
    EXPECT_DOUBLE_EQ(linear.value, 12.3456) << "real parameters are never snapped";

    IParamSlot curved = Real(0, 100, 0.1, 2.0);
    curved.SetFromNormalized(0.5);
    EXPECT_EQ(curved.value, 25.0);
}

TEST(IParamSlot, SetFromNormalizedClampsHostGarbage)
{
    IParamSlot release = Real(0.1, 1500, 0.1, 2.0);
    release.SetFromNormalized(-3.0);
    EXPECT_EQ(release.value, 0.1) << "a negative input must not be squared back into range";
    IParamSlot gain = Real(-18, 18, 0.1);
    gain.SetFromNormalized(-1.0);
    EXPECT_EQ(gain.value, -18.0);
    gain.SetFromNormalized(7.0);
    EXPECT_EQ(gain.value, 18.0);
    gain.SetFromNormalized(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(gain.value, -18.0) << "NaN becomes the minimum";
    gain.SetFromNormalized(std::numeric_limits<double>::infinity());
    EXPECT_EQ(gain.value, 18.0);
}

TEST(IParamSlot, ToNormalizedClampsAndInvertsShape)
{
    IParamSlot curved = Real(0, 100, 0.1, 2.0);
    EXPECT_EQ(curved.ToNormalized(25.0), 0.5);
    EXPECT_EQ(curved.ToNormalized(1000.0), 1.0);
    EXPECT_EQ(curved.ToNormalized(-5.0), 0.0);
    EXPECT_EQ(curved.FromNormalized(1.5), 225.0) << "FromNormalized neither snaps nor clamps";
    curved.value = 64.0;
    EXPECT_DOUBLE_EQ(curved.NormalizedValue(), 0.8);
}

TEST(IParamSlot, FormatValueRules)
{
    IParamSlot tenths = Real(-18, 18, 0.1);
    EXPECT_EQ(Format(tenths, 0.0), "0");
    EXPECT_EQ(Format(tenths, 0.1), "0.1");
    EXPECT_EQ(Format(tenths, -0.1), "-0.1");
    EXPECT_EQ(Format(tenths, 0.5, true), "0") << "normalised 0.5 of -18..18 is exactly 0";
    EXPECT_EQ(Format(tenths, 0.75, true), "9.0");

    IParamSlot integer;
    integer.InitInteger("n", 0, -10, 10, "");
    EXPECT_EQ(Format(integer, 2.5), "3");
    EXPECT_EQ(Format(integer, -2.5), "-3");

    IParamSlot named;
    named.InitInteger("mode", 0, 0, 2, "");
    named.AddDisplayText(1, "Soft");
    named.AddDisplayText(2, "");
    EXPECT_EQ(Format(named, 1.2), "Soft");
    EXPECT_EQ(Format(named, 2.0), "2") << "an empty display text falls back to the number";
}

TEST(IParamSlot, ParseValueUsesDisplayTextsThenLeadingNumber)
{
    IParamSlot p = Real(0, 100, 0.1);
    EXPECT_EQ(p.ParseValue("12.5"), 12.5);
    EXPECT_EQ(p.ParseValue("3.5 dB"), 3.5);
    EXPECT_EQ(p.ParseValue("loud"), 0.0);
    EXPECT_EQ(p.ParseValue(nullptr), 0.0);

    p.AddDisplayText(7, "Seven");
    EXPECT_EQ(p.ParseValue("Seven"), 7.0);
    EXPECT_EQ(p.ParseValue("seven"), 0.0) << "display texts match case-sensitively";
    int v = -1;
    EXPECT_FALSE(p.ValueForDisplayText("Eight", &v));
    EXPECT_EQ(p.DisplayTextCount(), 1);
    EXPECT_STREQ(p.DisplayTextFor(3), "");
}

TEST(IParamSlot, TypedNumbersAreDecimalsInTheCLocale)
{
    // Under a comma locale (where one is installed) "12.5" must still be 12.5; words that C's own
    // reading takes for numbers are not numbers here.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string restore = previous ? previous : "C";
    for (const char* comma : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_NUMERIC, comma)) break;
    const struct
    {
        const char* text;
        double value;
    } cases[] = {
        {"12.5", 12.5}, {" -3.25 dB", -3.25}, {"+7", 7.0},     {".5", 0.5},       {"2e1", 20.0},
        {"12,5", 12.0}, {"nan", 0.0},         {"-inf", 0.0},   {"infinity", 0.0}, {"0x1A", 0.0},
        {"", 0.0},      {"-", 0.0},           {"1e-999", 0.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IParamSlot::LeadingNumber(c.text), c.value)
            << '"' << c.text << "\" in locale " << std::setlocale(LC_NUMERIC, nullptr);
    EXPECT_EQ(IParamSlot::LeadingNumber("1e999"), std::numeric_limits<double>::max())
        << "clamped by the range";
    std::setlocale(LC_NUMERIC, restore.c_str());
}

TEST(IParamSlot, LongTextsAreCutAndTerminated)
{
    const std::string longName(100, 'n');
    IParamSlot p;
    p.InitReal(longName.c_str(), 0, 0, 1, 0.1, longName.c_str());
    p.SetGroup(longName.c_str());
    p.AddDisplayText(1, longName.c_str());
    EXPECT_EQ(std::string(p.Name()), std::string(31, 'n'));
    EXPECT_EQ(std::string(p.Label()).size(), 31u);
    EXPECT_EQ(std::string(p.Group()).size(), 31u);
    EXPECT_EQ(std::string(p.DisplayTextFor(1)).size(), 31u);
}
