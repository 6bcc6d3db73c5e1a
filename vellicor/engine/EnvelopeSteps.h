#pragma once
// The envelope recurrence of the limiter for both channels at once, rewritten so that the chain from
// one frame's envelopes to the next is short, with every result bit for bit the one the plain order
// gives. Written for any two-lane number type P (DoublePair in the engine; the tests run the same code
// in tiny floating-point formats where every case can be enumerated). Any thread.
//
// Each rewrite rests on two facts of correctly rounded arithmetic: rounding is monotone (x <= y gives
// fl(x) <= fl(y)), and a rounded value never passes a representable bound the exact value respects.
// Envelopes and detector levels are finite and >= 0; the coefficients lie in [0, 1].
#include <limits>

template <class P> struct EnvelopeCoefs
{
    P attack, release, link;
    P releaseAttack; // the right lane's factor while its level rises
    P leftOnly;      // min with it keeps the left lane and sends the right one to -inf
    P upper, lower;  // bounds from the right lane's attack candidate, see SmoothBranchFree

    static EnvelopeCoefs Make(double att, double rel, double linkFactor)
    {
        constexpr double inf = std::numeric_limits<double>::infinity();
        const double bound = att <= rel ? inf : -inf;
        return {P::Both(att),      P::Both(rel),      P::Both(linkFactor), P::Of(rel, att),
                P::Of(inf, -inf), P::Of(inf, bound), P::Of(-inf, bound)};
    }
};

// Targets after the stereo link, [max(eL, k eR), max(eR, k eL)] from the previous frame's envelopes.
// The plain order links the right channel to the new left target, max(eR, k max(eL, k eR)); that is
// the same number: k max(a, b) rounds to max(k a, k b) by monotony, and k (k eR) <= eR since k <= 1,
// so the inner term never wins. The right channel then no longer waits for the left one.
template <class P> P Link(P envelope, const EnvelopeCoefs<P>& k)
{
    return Max(envelope, k.link * Swap(envelope));
}

// The left channel, rising (e < d), takes the attack step a = d + (e - d) att and then the release
// step from a, whose first operation is fl(a - d). Falling, the release step starts from t = fl(e - d).
// Max(fl(a - d), t) is the right start in both cases: rising, t < 0 and t att >= t, so a >= d + t
// rounded and fl(a - d) >= t; falling, t >= 0 and t att <= t give fl(a - d) <= t. Rounded
// differences keep the order of what they subtract from, so this is the left's release start.
template <class P> P LeftReleaseStart(P t, P a, P d, const EnvelopeCoefs<P>& k)
{
    return Max(Min(a - d, k.leftOnly), t);
}

// For stretches where the level rises and falls at random: no branch. The right channel's result is
// one of two candidates, d + t rel and a = d + t att. Falling (t >= 0) it is the release one; rising
// (t < 0) the attack one. With att <= rel the chosen one is the larger in both cases (t att <= t rel
// for t >= 0, >= for t < 0, kept by rounding), with att > rel the smaller: Max(Min(r, upper), lower)
// with the bounds built from a picks it, and leaves the left lane's r alone.
template <class P> P SmoothBranchFree(P e, P d, const EnvelopeCoefs<P>& k)
{
    const P t = e - d;
    const P a = d + t * k.attack;
    const P r = d + LeftReleaseStart(t, a, d, k) * k.release;
    return Max(Min(r, Max(a, k.upper)), Min(a, k.lower));
}

// For stretches where the direction seldom changes: the left channel's attack step only when it
// rises (a predictable branch), the right channel's factor chosen per lane. rising is Less(e, d).
template <class P> P SmoothBranchy(P e, P d, P rising, const EnvelopeCoefs<P>& k)
{
    P t = e - d;
    if (Bits(rising) & 1) t = LeftReleaseStart(t, d + t * k.attack, d, k);
    return d + t * Select(rising, k.releaseAttack, k.release);
}
