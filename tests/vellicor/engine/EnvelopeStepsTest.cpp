// The envelope rewrites against the plain order, for every case of tiny floating-point formats
// (3 to 6 bits after the leading one). The engine's own step code runs on a number type that rounds
// each result to the format, so what is proven is the code the limiter runs, not a copy of it.
// Scaling both operands by the same power of two scales every result, so one of them covers one
// binade (and 0) and the other the binades around it where roundings differ.
#include "vellicor/engine/EnvelopeSteps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace
{
using namespace envelope;

int gBits = 4; // significant bits of the format, the leading one included

// Round to nearest, ties to even, at gBits significant bits; the exponent range is unbounded.
double Round(double x)
{
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    const int drop = 53 - gBits;
    b += (uint64_t{1} << (drop - 1)) - 1 + ((b >> drop) & 1);
    b &= ~((uint64_t{1} << drop) - 1);
    std::memcpy(&x, &b, sizeof x);
    return x;
}

struct Tiny
{
    double v;

    friend Tiny operator+(Tiny a, Tiny b) { return {Round(a.v + b.v)}; }
    friend Tiny operator-(Tiny a, Tiny b) { return {Round(a.v - b.v)}; }
    friend Tiny operator*(Tiny a, Tiny b) { return {Round(a.v * b.v)}; }
    friend bool operator<(Tiny a, Tiny b) { return a.v < b.v; }
    friend bool operator>(Tiny a, Tiny b) { return a.v > b.v; }
    friend bool operator>=(Tiny a, Tiny b) { return a.v >= b.v; }
};

// 0 and every value of the format in [2^lo, 2^hi).
std::vector<Tiny> Values(int lo, int hi)
{
    std::vector<Tiny> v{{0.0}};
    for (int e = lo; e < hi; ++e)
        for (int m = 1 << (gBits - 1); m < 1 << gBits; ++m)
            v.push_back({std::ldexp(m, e - (gBits - 1))});
    return v;
}

// Coefficients: 0, 1, and every value down to where a step by it no longer moves a rounded sum.
std::vector<Tiny> Coefficients()
{
    std::vector<Tiny> c = Values(-gBits - 2, 0);
    c.push_back({1.0});
    return c;
}

// The plain order: the left links to the right, the right to the new left; the left rises with the
// attack step followed by the release step, the right takes one step or the other.
Stereo<Tiny> PlainLink(Tiny eL, Tiny eR, Tiny link)
{
    const Tiny left = eL < link * eR ? link * eR : eL;
    return {left, eR < link * left ? link * left : eR};
}

Tiny Step(Tiny e, Tiny d, Tiny coef)
{
    return d + (e - d) * coef;
}

std::string Show(const char* what, std::initializer_list<Tiny> values)
{
    std::ostringstream s;
    s << what << " (" << gBits - 1 << " bits):";
    for (Tiny x : values)
        s << ' ' << x.v;
    return s.str();
}

class EnvelopeSteps : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override { gBits = GetParam() + 1; }
};
} // namespace

TEST_P(EnvelopeSteps, RightLinksToThePreviousLeftAsToTheNewLeft)
{
    const std::vector<Tiny> levels = Values(-gBits - 2, gBits + 2), right = Values(0, 1);
    for (Tiny link : Coefficients())
    {
        const EnvelopeCoefs<Tiny> k{{0.5}, {0.5}, link, false};
        for (Tiny eL : levels)
            for (Tiny eR : right)
            {
                const Stereo<Tiny> want = PlainLink(eL, eR, link);
                for (const Stereo<Tiny> got : {Link<Tiny>({eL, eL}, eR, k), LinkBranchy<Tiny>({eL, eR}, k)})
                    ASSERT_TRUE(got.left.v == want.left.v && got.right.v == want.right.v)
                        << Show("link, eL, eR", {link, eL, eR});
            }
    }
}

// The left channel's claim on its own, which holds whatever the release factor.
TEST_P(EnvelopeSteps, LargerOfRisingStartAndDifferenceIsTheLeftReleaseStart)
{
    const std::vector<Tiny> levels = Values(-gBits - 2, gBits + 2), detector = Values(0, 1);
    for (Tiny att : Coefficients())
    {
        const EnvelopeCoefs<Tiny> k{att, {0.5}, {1.0}, false};
        for (Tiny d : detector)
            for (Tiny e : levels)
            {
                const Tiny want = (e < d ? Step(e, d, att) : e) - d;
                ASSERT_EQ(Max(RisingStart(e - d, d, k), e - d).v, want.v) << Show("att, d, e", {att, d, e});
            }
    }
}

// Every form of the whole step, both channels, every pair of factors: four nested enumerations, so
// only the formats with 3 and 4 bits (5 and 6 take minutes; the claims above cover them).
using WholeEnvelopeStep = EnvelopeSteps;
TEST_P(WholeEnvelopeStep, EverySmoothingFormEqualsThePlainOrder)
{
    const std::vector<Tiny> levels = Values(-gBits - 2, gBits + 2), detector = Values(0, 1);
    const std::vector<Tiny> coefs = Coefficients();
    for (Tiny att : coefs)
        for (Tiny rel : coefs)
        {
            const EnvelopeCoefs<Tiny> k{att, rel, {1.0}, att > rel};
            for (Tiny d : detector)
                for (Tiny e : levels)
                {
                    const Tiny left = Step(e < d ? Step(e, d, att) : e, d, rel);
                    const Tiny right = Step(e, d, e >= d ? rel : att);
                    ASSERT_EQ(SmoothLeftBranchFree(e, d, k).Envelope().v, left.v)
                        << Show("att, rel, d, e", {att, rel, d, e});
                    Turns afterFalling{0, true};
                    ASSERT_EQ(SmoothLeftBranchy(e, d, k, afterFalling).v, left.v)
                        << Show("att, rel, d, e", {att, rel, d, e});
                    ASSERT_EQ(afterFalling.count, e < d ? 1 : 0) << "a turn is a rise after a fall";
                    ASSERT_EQ(SmoothRightBranchFree(e, d, k).v, right.v) << Show("att, rel, d, e", {att, rel, d, e});
                    ASSERT_EQ(SmoothRightBranchy(e, d, k).v, right.v) << Show("att, rel, d, e", {att, rel, d, e});
                }
        }
}

// The branch-free left envelope in any two parts links as the envelope itself.
TEST_P(WholeEnvelopeStep, SplitLeftEnvelopeLinksAsItsLargerPart)
{
    const std::vector<Tiny> levels = Values(-gBits - 2, gBits + 2), parts = Values(0, 1);
    for (Tiny link : Coefficients())
    {
        const EnvelopeCoefs<Tiny> k{{0.5}, {0.5}, link, false};
        for (Tiny chained : levels)
            for (Tiny early : parts)
                for (Tiny eR : parts)
                {
                    const SplitLeft<Tiny> left{chained, early};
                    const Stereo<Tiny> want = PlainLink(left.Envelope(), eR, link), got = Link(left, eR, k);
                    ASSERT_TRUE(got.left.v == want.left.v && got.right.v == want.right.v)
                        << Show("link, chained, early, eR", {link, chained, early, eR});
                }
    }
}

INSTANTIATE_TEST_SUITE_P(MantissaBits, EnvelopeSteps, ::testing::Values(3, 4, 5, 6));
INSTANTIATE_TEST_SUITE_P(MantissaBits, WholeEnvelopeStep, ::testing::Values(3, 4));

// The written-out comparisons the engine's doubles take answer as the plain ones, at equality, for
// signed zeros, infinities and NaN too.
TEST(EnvelopeBranches, WrittenOutComparisonsAnswerAsThePlainOnes)
{
    const double values[] = {-INFINITY, -1.0, -0.0, 0.0, 0x1p-1074, 0.5, 1.0, INFINITY, NAN};
    for (const double a : values)
        for (const double b : values)
        {
            EXPECT_EQ(Below(a, b), a < b) << a << " < " << b;
            const double plain = b > a ? b : a, got = OwnUnlessBelow(a, b);
            EXPECT_TRUE(std::memcmp(&got, &plain, sizeof got) == 0) << "own " << a << ", linked " << b;
        }
}

// The branchy form counts turns where each direction is taken, the branch-free form from the decision
// as a value: both give the number of falls followed by a rise, for every sequence of 12 directions.
TEST(EnvelopeTurns, BothFormsCountEachFallFollowedByARise)
{
    constexpr int kLength = 12;
    for (unsigned rises = 0; rises < (1u << kLength); ++rises)
    {
        Turns taken, noted;
        int want = 0;
        for (int i = 0; i < kLength; ++i)
        {
            const bool rising = (rises >> i) & 1;
            want += i > 0 && rising && !((rises >> (i - 1)) & 1);
            rising ? taken.Rise() : taken.Fall();
            noted.Note(rising);
        }
        ASSERT_EQ(taken.count, want) << "directions " << rises;
        ASSERT_EQ(noted.count, want) << "directions " << rises;
    }
}
