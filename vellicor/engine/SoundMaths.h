#pragma once
// exp, pow and log of the coefficient and meter formulas. Their last bits are part of the sound and of
// the saved peak memory, so that a project renders the same bits on every platform: the Linux build
// calls the C library, the Windows build links the same algorithm instead of its own runtime's
// (engine/platform/<os>/SoundMaths.cpp).
namespace vellicor::maths
{
double Exp(double x);
double Pow(double x, double y);
double Log(double x);
} // namespace vellicor::maths
