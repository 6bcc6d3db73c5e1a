#pragma once
// The envelope recurrence of the limiter, rewritten so that the chain from one frame's envelopes to
// the next is short, with every result bit for bit the one the plain order gives. Written for any
// number type S with correctly rounded + - * and < > (double in the engine; the tests run the same
// code in tiny floating-point formats where every case can be enumerated). The two envelopes stay in
// scalars: a shuffle between lanes would lengthen the chain. Any thread.
//
// Each rewrite rests on two facts of correctly rounded arithmetic: rounding is monotone (x <= y gives
// fl(x) <= fl(y)), and a rounded value never passes a representable bound the exact value respects.
// Envelopes and detector levels are finite and >= 0; the coefficients lie in [0, 1].

namespace envelope
{
// a > b ? a : b and a < b ? a : b, the forms maxsd and minsd compute.
template <class S> S Max(S a, S b)
{
    return a > b ? a : b;
}
template <class S> S Min(S a, S b)
{
    return a < b ? a : b;
}

template <class S> struct Stereo
{
    S left, right;
};

template <class S> struct EnvelopeCoefs
{
    S attack, release, link;
    bool attackSlower; // attack > release: the smaller candidate is the right one, see below
};

// The branch-free form's left envelope, in two parts whose larger it is (see SmoothLeftBranchFree).
template <class S> struct SplitLeft
{
    S chained, early;
    S Envelope() const { return Max(chained, early); }
};

// Targets after the stereo link, from the previous frame's envelopes only. The plain order links the
// right channel to the new left target, max(eR, k max(eL, k eR)); that is the same number: k max(a, b)
// rounds to max(k a, k b) by monotony, and k (k eR) <= eR since k <= 1, so the inner term never wins.
// The right channel then no longer waits for the left one. With the left envelope in parts, the maxima
// take them one at a time: max(max(A, B), k eR) = max(A, max(B, k eR)), bit for bit, since Max gives
// the last of its largest operands however it nests; and k max(A, B) = max(k A, k B) by monotony, up
// to the sign of a zero (only where the host rounds downward), which the next step's difference from
// d >= +0 does not keep. The chained part then meets one maximum on its way to the next step, not two.
template <class S> Stereo<S> Link(SplitLeft<S> left, S right, const EnvelopeCoefs<S>& k)
{
    return {Max(left.chained, Max(left.early, k.link * right)),
            Max(Max(right, k.link * left.early), k.link * left.chained)};
}

// The compiler turns a selection between two values into maxsd or a mask, which puts the comparison
// on the chain; an opaque condition keeps it a branch, which a steady signal predicts.
inline bool AsBranch(bool condition)
{
#if defined(__GNUC__)
    __asm__("" : "+r"(condition));
#endif
    return condition;
}

// a < b as such a branch. For doubles the comparison is written out, so that the jump reads its flags
// directly instead of a flag turned into a value and tested again.
template <class S> bool Below(S a, S b)
{
    return AsBranch(a < b);
}
#if defined(__GNUC__) && defined(__SSE2__)
inline bool Below(double a, double b)
{
    bool below;
    __asm__("comisd %1, %2" : "=@cca"(below) : "x"(a), "x"(b)); // b above a; false when unordered
    return below;
}
#endif

// own, or linked where that is above it, as such a branch. For doubles the jump is written out too:
// a selection on the flags of a comparison becomes a conditional move, back on the chain.
template <class S> S OwnUnlessBelow(S own, S linked)
{
    return AsBranch(linked > own) ? linked : own;
}
#if defined(__GNUC__) && defined(__SSE2__)
inline double OwnUnlessBelow(double own, double linked)
{
    __asm__ goto("comisd %0, %1\n\tja %l[above]" : : "x"(own), "x"(linked) : "cc" : above);
    return own;
above:
    return linked;
}
#endif

// Link with branches: a channel's own envelope mostly stays above the link of the other.
template <class S> Stereo<S> LinkBranchy(Stereo<S> env, const EnvelopeCoefs<S>& k)
{
    return {OwnUnlessBelow(env.left, k.link * env.right), OwnUnlessBelow(env.right, k.link * env.left)};
}

// Turns of the left level from falling to rising, which tell whether a branch on its direction
// predicts well. Counted where each direction is taken, so that the count adds nothing to a frame
// whose direction did not change but a register move.
struct Turns
{
    int count = 0;
    bool fell = false;

    void Rise()
    {
        count += fell;
        fell = false;
    }
    void Fall() { fell = true; }
    // Where no branch takes a direction, from the decision as a value.
    void Note(bool rising)
    {
        count += fell & rising;
        fell = !rising;
    }
};

// Where the direction seldom changes, the plain order with branches that predict well: the left
// channel rising (e < d) takes the attack step and then the release step, falling the release step
// alone; the right channel one step with the factor of its direction.
template <class S> S SmoothLeftBranchy(S e, S d, const EnvelopeCoefs<S>& k, Turns& turns)
{
    if (Below(e, d))
    {
        e = d + (e - d) * k.attack;
        turns.Rise();
    }
    else
        turns.Fall();
    return d + (e - d) * k.release;
}
template <class S> S SmoothRightBranchy(S e, S d, const EnvelopeCoefs<S>& k)
{
    if (Below(e, d)) return d + (e - d) * k.attack;
    return d + (e - d) * k.release;
}

// Where it changes at random, no data-dependent branch.
// Left: with t = e - d, the release step starts from fl(fl(d + t att) - d) when rising and from t when
// falling, and the larger of the two is that start in both cases: rising, t < 0 and t att >= t, so the
// rising start is >= t; falling, t >= 0 and t att <= t put it <= t. (The rounded difference of a
// maximum is the maximum of the rounded differences.) Multiplying by rel >= 0 and adding d are
// monotone too, so the result is the larger of A = d + fl(fl(d + t att) - d) rel and B = d + t rel.
// B waits on t alone; kept apart, it joins the next links beside the chain (Link above).
template <class S> S RisingStart(S t, S d, const EnvelopeCoefs<S>& k)
{
    return (d + t * k.attack) - d;
}
template <class S> SplitLeft<S> SmoothLeftBranchFree(S e, S d, const EnvelopeCoefs<S>& k)
{
    const S t = e - d;
    return {d + RisingStart(t, d, k) * k.release, d + t * k.release};
}
// Right: the result is one of d + t rel and d + t att, the release one falling (t >= 0), the attack
// one rising. With att <= rel the chosen one is the larger in both cases (t att <= t rel for t >= 0,
// >= for t < 0, kept by rounding); with att > rel the smaller. (That choice is fixed per block.)
template <class S> S SmoothRightBranchFree(S e, S d, const EnvelopeCoefs<S>& k)
{
    const S t = e - d;
    const S released = d + t * k.release, attacked = d + t * k.attack;
    return k.attackSlower ? Min(released, attacked) : Max(released, attacked);
}
} // namespace envelope
