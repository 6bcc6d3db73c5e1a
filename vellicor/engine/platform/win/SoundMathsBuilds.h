#pragma once
// Which build of exp, pow and log the Windows engine runs (see SoundMaths.cpp). Tests compare each
// with the Linux build's bits.
namespace vellicor::maths
{
enum class Build
{
    kSse2, // no fused multiply-add: what glibc runs without FMA
    kFma,  // FMA and AVX2
    kFma4, // AMD's FMA4 without FMA
};

// The build picked for this processor when the module loaded.
Build ProcessorBuild();
// Test hook: run the given build from now on (the processor must support it).
void UseBuild(Build build);
} // namespace vellicor::maths
