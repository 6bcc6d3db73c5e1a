// mingw-w64's exp, pow and log give other last bits than glibc's for a few of the limiter's values
// (and partly run on the x87 unit, whose precision the host sets). glibc's algorithms for these three
// are also musl's: the build compiles musl's, from Debian's source package, three times as glibc
// does (cmake/WindowsThirdParty.cmake), and the processor picks one by glibc's rule, so a Windows
// host renders the bits a Linux host renders on the same machine.
#include "vellicor/engine/SoundMaths.h"
#include "vellicor/engine/platform/win/SoundMathsBuilds.h"

extern "C"
{
    double vellicor_musl_sse2_exp(double x);
    double vellicor_musl_sse2_pow(double x, double y);
    double vellicor_musl_sse2_log(double x);
    double vellicor_musl_fma_exp(double x);
    double vellicor_musl_fma_pow(double x, double y);
    double vellicor_musl_fma_log(double x);
    double vellicor_musl_fma4_exp(double x);
    double vellicor_musl_fma4_pow(double x, double y);
    double vellicor_musl_fma4_log(double x);
}

namespace vellicor::maths
{
namespace
{
struct Functions
{
    double (*exp)(double);
    double (*pow)(double, double);
    double (*log)(double);
};

Functions For(Build build)
{
    switch (build)
    {
    case Build::kFma:
        return {vellicor_musl_fma_exp, vellicor_musl_fma_pow, vellicor_musl_fma_log};
    case Build::kFma4:
        return {vellicor_musl_fma4_exp, vellicor_musl_fma4_pow, vellicor_musl_fma4_log};
    default:
        return {vellicor_musl_sse2_exp, vellicor_musl_sse2_pow, vellicor_musl_sse2_log};
    }
}

// glibc's choice: FMA with AVX2 first, then FMA4, else the plain build. (The compiler's processor
// test also requires the operating system to save the AVX registers, as glibc's does.)
Build Detect()
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("fma") && __builtin_cpu_supports("avx2")) return Build::kFma;
    if (__builtin_cpu_supports("fma4")) return Build::kFma4;
    return Build::kSse2;
}

// Chosen while the module loads, so that no call (the meter's log runs on the audio thread) waits
// for a first-use initialisation.
const Build kProcessorBuild = Detect();
Functions chosen = For(kProcessorBuild);
} // namespace

Build ProcessorBuild()
{
    return kProcessorBuild;
}

void UseBuild(Build build)
{
    chosen = For(build);
}

double Exp(double x)
{
    return chosen.exp(x);
}

double Pow(double x, double y)
{
    return chosen.pow(x, y);
}

double Log(double x)
{
    return chosen.log(x);
}
} // namespace vellicor::maths
