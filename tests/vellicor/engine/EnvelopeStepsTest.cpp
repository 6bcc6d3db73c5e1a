// The envelope rewrites against the plain order, for every case of tiny floating-point formats
// (3 to 6 bits after the leading one). The engine's own step code runs on a two-lane type that rounds
// each result to the format, so what is proven is the code the limiter runs, not a copy of it.
// Scaling both operands by the same power of two scales every result, so one of them covers one
// binade (and 0) and the other the binades around it where roundings differ.
#include "vellicor/engine/EnvelopeSteps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{
int gBits = 4; // significant bits of the format, the leading one included

// Round to nearest, ties to even, at gBits significant bits; the exponent range is unbounded.
double Round(double x)
{
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    if ((b & 0x7ff0000000000000ull) == 0x7ff0000000000000ull) return x;
    const int drop = 53 - gBits;
    b += (uint64_t{1} << (drop - 1)) - 1 + ((b >> drop) & 1);
    b &= ~((uint64_t{1} << drop) - 1);
    std::memcpy(&x, &b, sizeof x);
    return x;
}

struct Tiny
{
    double l, r;

    static Tiny Of(double left, double right) { return {left, right}; }
    static Tiny Both(double x) { return {x, x}; }
    friend Tiny operator+(Tiny a, Tiny b) { return {Round(a.l + b.l), Round(a.r + b.r)}; }
    friend Tiny operator-(Tiny a, Tiny b) { return {Round(a.l - b.l), Round(a.r - b.r)}; }
    friend Tiny operator*(Tiny a, Tiny b) { return {Round(a.l * b.l), Round(a.r * b.r)}; }
    friend Tiny Max(Tiny a, Tiny b) { return {a.l > b.l ? a.l : b.l, a.r > b.r ? a.r : b.r}; }
    friend Tiny Min(Tiny a, Tiny b) { return {a.l < b.l ? a.l : b.l, a.r < b.r ? a.r : b.r}; }
    friend Tiny Swap(Tiny a) { return {a.r, a.l}; }
    friend Tiny Less(Tiny a, Tiny b) { return {a.l < b.l ? 1.0 : 0.0, a.r < b.r ? 1.0 : 0.0}; }
    friend Tiny Select(Tiny mask, Tiny a, Tiny b) { return {mask.l != 0 ? a.l : b.l, mask.r != 0 ? a.r : b.r}; }
    friend int Bits(Tiny mask) { return (mask.l != 0 ? 1 : 0) | (mask.r != 0 ? 2 : 0); }
};

// 0 and every value of the format in [2^lo, 2^hi).
std::vector<double> Values(int lo, int hi)
{
    std::vector<double> v{0.0};
    for (int e = lo; e < hi; ++e)
        for (int m = 1 << (gBits - 1); m < 1 << gBits; ++m)
            v.push_back(std::ldexp(m, e - (gBits - 1)));
    return v;
}

// Coefficients: 0, 1, and every value down to where a step by it no longer moves a rounded sum.
std::vector<double> Coefficients()
{
    std::vector<double> c = Values(-gBits - 2, 0);
    c.push_back(1.0);
    return c;
}

// The plain order: left links to the right, right to the new left; the left rises with the attack
// step followed by the release step, the right takes one step or the other.
Tiny PlainLink(double eL, double eR, double link)
{
    const double left = std::max(eL, Round(link * eR));
    return {left, std::max(eR, Round(link * left))};
}

double Step(double e, double d, double coef)
{
    return Round(d + Round(Round(e - d) * coef));
}

Tiny PlainSmooth(double e, double d, double att, double rel)
{
    const double left = Step(e < d ? Step(e, d, att) : e, d, rel);
    return {left, Step(e, d, e >= d ? rel : att)};
}

class EnvelopeSteps : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override { gBits = GetParam() + 1; }
};

std::string Show(const char* what, double a, double b, double c, double d)
{
    return std::string(what) + " " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c) +
           " " + std::to_string(d);
}
} // namespace

TEST_P(EnvelopeSteps, LinkOfTheRightToThePreviousLeftIsTheLinkToTheNewLeft)
{
    // Both envelopes scale together, so the right one covers one binade.
    const std::vector<double> levels = Values(-gBits - 2, gBits + 2), right = Values(0, 1);
    for (double link : Coefficients())
    {
        const EnvelopeCoefs<Tiny> k = EnvelopeCoefs<Tiny>::Make(0.5, 0.5, link);
        for (double eL : levels)
            for (double eR : right)
            {
                const Tiny got = Link(Tiny::Of(eL, eR), k), want = PlainLink(eL, eR, link);
                ASSERT_TRUE(got.l == want.l && got.r == want.r) << Show("link, eL, eR:", link, eL, eR, 0);
            }
    }
}

// The left lane's claim alone, which holds whatever the release factor: the larger of the rounded
// differences starts the release step exactly where the plain order starts it.
TEST_P(EnvelopeSteps, LargerRoundedDifferenceIsTheLeftReleaseStart)
{
    const std::vector<double> levels = Values(-gBits - 2, gBits + 2), detector = Values(0, 1);
    for (double att : Coefficients())
    {
        const EnvelopeCoefs<Tiny> k = EnvelopeCoefs<Tiny>::Make(att, 0.5, 1.0);
        for (double d : detector)
            for (double e : levels)
            {
                const Tiny t = Tiny::Both(e) - Tiny::Both(d), a = Tiny::Both(d) + t * k.attack;
                const double want = e < d ? Round(Step(e, d, att) - d) : Round(e - d);
                ASSERT_EQ(LeftReleaseStart(t, a, Tiny::Both(d), k).l, want) << Show("att, d, e:", att, d, e, 0);
            }
    }
}

// Both forms of the whole step, both channels, every pair of factors: four nested enumerations, so
// only the formats with 3 and 4 bits (the larger ones take minutes; the claims above cover them).
TEST_P(EnvelopeSteps, BothSmoothingFormsEqualThePlainOrder)
{
    if (GetParam() > 4) GTEST_SKIP() << "enumerated for 3 and 4 bits only";
    const std::vector<double> levels = Values(-gBits - 2, gBits + 2), detector = Values(0, 1);
    const std::vector<double> coefs = Coefficients();
    for (double att : coefs)
        for (double rel : coefs)
        {
            const EnvelopeCoefs<Tiny> k = EnvelopeCoefs<Tiny>::Make(att, rel, 1.0);
            for (double d : detector)
                for (double e : levels)
                {
                    const Tiny pe = Tiny::Both(e), pd = Tiny::Both(d), want = PlainSmooth(e, d, att, rel);
                    const Tiny free = SmoothBranchFree(pe, pd, k), branchy = SmoothBranchy(pe, pd, Less(pe, pd), k);
                    ASSERT_TRUE(free.l == want.l && free.r == want.r) << Show("branch-free att, rel, d, e:", att, rel, d, e);
                    ASSERT_TRUE(branchy.l == want.l && branchy.r == want.r) << Show("branchy att, rel, d, e:", att, rel, d, e);
                }
        }
}

INSTANTIATE_TEST_SUITE_P(MantissaBits, EnvelopeSteps, ::testing::Values(3, 4, 5, 6));
