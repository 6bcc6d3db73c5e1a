#pragma once
// Left and right sample of one frame in one register, so that the limiter's loop does each step for
// both channels with one instruction: SSE2, which every x86-64 processor has, else two plain doubles
// with the same per-lane rules. Anything wider would need a runtime check and is not used.
// Max and Min are the comparison forms a > b ? a : b and a < b ? a : b, lane by lane, exactly what
// maxpd and minpd compute (NaN never reaches them in the limiter). Any thread.
#include <cstdint>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>

struct DoublePair
{
    __m128d v;

    static DoublePair Of(double left, double right) { return {_mm_set_pd(right, left)}; }
    static DoublePair Both(double x) { return {_mm_set1_pd(x)}; }
    static DoublePair Load(const double* left, const double* right) { return Of(*left, *right); }
    // A 32-bit host's frame, widened as a plain conversion does in the current floating-point mode.
    static DoublePair Load(const float* left, const float* right)
    {
        return {_mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(left), _mm_load_ss(right)))};
    }
    // Two neighbouring doubles, left first (a look-ahead ring slot).
    static DoublePair LoadAdjacent(const double* p) { return {_mm_loadu_pd(p)}; }
    void StoreAdjacent(double* p) const { _mm_storeu_pd(p, v); }
    void Store(double* left, double* right) const
    {
        _mm_storel_pd(left, v);
        _mm_storeh_pd(right, v);
    }
    // Narrowed as a plain conversion does in the current floating-point mode.
    void Store(float* left, float* right) const
    {
        const __m128 f = _mm_cvtpd_ps(v);
        _mm_store_ss(left, f);
        _mm_store_ss(right, _mm_shuffle_ps(f, f, 1));
    }
    double Left() const { return _mm_cvtsd_f64(v); }
    double Right() const { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }

    friend DoublePair operator+(DoublePair a, DoublePair b) { return {_mm_add_pd(a.v, b.v)}; }
    friend DoublePair operator-(DoublePair a, DoublePair b) { return {_mm_sub_pd(a.v, b.v)}; }
    friend DoublePair operator*(DoublePair a, DoublePair b) { return {_mm_mul_pd(a.v, b.v)}; }
    friend DoublePair operator/(DoublePair a, DoublePair b) { return {_mm_div_pd(a.v, b.v)}; }
    friend DoublePair Max(DoublePair a, DoublePair b) { return {_mm_max_pd(a.v, b.v)}; }
    friend DoublePair Min(DoublePair a, DoublePair b) { return {_mm_min_pd(a.v, b.v)}; }
    friend DoublePair Swap(DoublePair a) { return {_mm_shuffle_pd(a.v, a.v, 1)}; }
    friend DoublePair Abs(DoublePair a) { return {_mm_andnot_pd(_mm_set1_pd(-0.0), a.v)}; }

    // Lane masks: all ones where the comparison holds (false for NaN).
    friend DoublePair Less(DoublePair a, DoublePair b) { return {_mm_cmplt_pd(a.v, b.v)}; }
    friend DoublePair LessEqual(DoublePair a, DoublePair b) { return {_mm_cmple_pd(a.v, b.v)}; }
    // x where the mask is set, +0 elsewhere.
    friend DoublePair Keep(DoublePair mask, DoublePair x) { return {_mm_and_pd(mask.v, x.v)}; }
    friend DoublePair Select(DoublePair mask, DoublePair a, DoublePair b)
    {
        return {_mm_or_pd(_mm_and_pd(mask.v, a.v), _mm_andnot_pd(mask.v, b.v))};
    }
    // Whether either or both lanes of a mask are set.
    friend bool Any(DoublePair mask) { return _mm_movemask_pd(mask.v) != 0; }
    friend bool All(DoublePair mask) { return _mm_movemask_pd(mask.v) == 3; }
};

#else
#include <cmath>
#include <cstring>

struct DoublePair
{
    double l, r;

    static DoublePair Of(double left, double right) { return {left, right}; }
    static DoublePair Both(double x) { return {x, x}; }
    static DoublePair Load(const double* left, const double* right) { return {*left, *right}; }
    static DoublePair Load(const float* left, const float* right) { return {*left, *right}; }
    static DoublePair LoadAdjacent(const double* p) { return {p[0], p[1]}; }
    void StoreAdjacent(double* p) const
    {
        p[0] = l;
        p[1] = r;
    }
    void Store(double* left, double* right) const
    {
        *left = l;
        *right = r;
    }
    void Store(float* left, float* right) const
    {
        *left = static_cast<float>(l);
        *right = static_cast<float>(r);
    }
    double Left() const { return l; }
    double Right() const { return r; }

    friend DoublePair operator+(DoublePair a, DoublePair b) { return {a.l + b.l, a.r + b.r}; }
    friend DoublePair operator-(DoublePair a, DoublePair b) { return {a.l - b.l, a.r - b.r}; }
    friend DoublePair operator*(DoublePair a, DoublePair b) { return {a.l * b.l, a.r * b.r}; }
    friend DoublePair operator/(DoublePair a, DoublePair b) { return {a.l / b.l, a.r / b.r}; }
    friend DoublePair Max(DoublePair a, DoublePair b) { return {a.l > b.l ? a.l : b.l, a.r > b.r ? a.r : b.r}; }
    friend DoublePair Min(DoublePair a, DoublePair b) { return {a.l < b.l ? a.l : b.l, a.r < b.r ? a.r : b.r}; }
    friend DoublePair Swap(DoublePair a) { return {a.r, a.l}; }
    friend DoublePair Abs(DoublePair a) { return {std::fabs(a.l), std::fabs(a.r)}; }

    friend DoublePair Less(DoublePair a, DoublePair b) { return {Mask(a.l < b.l), Mask(a.r < b.r)}; }
    friend DoublePair LessEqual(DoublePair a, DoublePair b) { return {Mask(a.l <= b.l), Mask(a.r <= b.r)}; }
    friend DoublePair Keep(DoublePair mask, DoublePair x) { return {Set(mask.l) ? x.l : 0.0, Set(mask.r) ? x.r : 0.0}; }
    friend DoublePair Select(DoublePair mask, DoublePair a, DoublePair b)
    {
        return {Set(mask.l) ? a.l : b.l, Set(mask.r) ? a.r : b.r};
    }
    friend bool Any(DoublePair mask) { return Set(mask.l) || Set(mask.r); }
    friend bool All(DoublePair mask) { return Set(mask.l) && Set(mask.r); }

private:
    // A set lane is a NaN with every bit on, as the SSE2 compares give.
    static double Mask(bool set)
    {
        const uint64_t bits = set ? ~uint64_t{0} : 0;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    static bool Set(double lane)
    {
        uint64_t bits;
        std::memcpy(&bits, &lane, sizeof bits);
        return bits != 0;
    }
};
#endif
