// The block checks at every width this processor runs, against the plain loop and against what each
// check means: one odd sample, at every place of blocks whose lengths cover the registers' tails, in
// either channel, among samples that pass.
#include "vellicor/engine/SampleChecks.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

namespace
{
using samples::Width;

std::vector<Width> Widths()
{
    std::vector<Width> widths;
    for (const Width w : {Width::kPlain, Width::kSse2, Width::kAvx2})
        if (w <= samples::Widest()) widths.push_back(w);
    return widths;
}

// Calls check(l, r, n, width) with x at each place of each block length, the other samples fine,
// and expects it to answer passes at every width.
template <typename T, typename Check> void EveryPlace(T fine, T x, bool passes, Check check)
{
    for (int32_t n = 1; n <= 19; ++n)
        for (int32_t at = 0; at < 2 * n; ++at)
        {
            std::vector<T> l(n, fine), r(n, -fine);
            (at < n ? l[at] : r[at - n]) = x;
            for (const Width width : Widths())
                ASSERT_EQ(check(l.data(), r.data(), n, width), passes)
                    << "x " << x << ", frames " << n << ", place " << at << ", width "
                    << static_cast<int>(width);
        }
}

TEST(SampleChecks, AllAtMostFindsEveryLargerWordInDoubleBlocks)
{
    const double most = 1e300;
    const auto check = [&](const double* l, const double* r, int32_t n, Width w)
    { return samples::AllAtMost(l, r, n, samples::MagnitudeWord(most), w); };
    struct Case
    {
        double x;
        bool passes;
    } cases[] = {{most, true},        {-most, true},         {0.0, true},           {-0.0, true},
                 {DBL_MIN / 4, true}, {most * 2, false},     {-most * 2, false},    {INFINITY, false},
                 {-INFINITY, false},  {std::nan(""), false}, {-std::nan(""), false}};
    for (const Case& c : cases)
        EveryPlace(0.5, c.x, c.passes, check);
}

TEST(SampleChecks, FloatBlocksFindLargeAndQuietWordsButLetZeroPass)
{
    const float least = 0x1p-100f, most = 0x1p20f;
    const uint32_t leastWord = samples::MagnitudeWord(least), mostWord = samples::MagnitudeWord(most);
    const auto within = [&](const float* l, const float* r, int32_t n, Width w)
    { return samples::ZeroOrWithin(l, r, n, leastWord, mostWord, w); };
    const auto atMost = [&](const float* l, const float* r, int32_t n, Width w)
    { return samples::AllAtMost(l, r, n, mostWord, w); };
    struct Case
    {
        float x;
        bool within, atMost;
    } cases[] = {{0.0f, true, true},
                 {-0.0f, true, true},
                 {least, true, true},
                 {-most, true, true},
                 {std::nextafter(least, 0.0f), false, true},
                 {-FLT_TRUE_MIN, false, true},
                 {std::nextafter(most, INFINITY), false, false},
                 {-INFINITY, false, false},
                 {std::nanf(""), false, false}};
    for (const Case& c : cases)
    {
        EveryPlace(1.0f, c.x, c.within, within);
        EveryPlace(1.0f, c.x, c.atMost, atMost);
    }
}
} // namespace
