#include "vellicor/tools/render/Help.h"

// clang-format off
const char* HelpText()
{
    return
R"(VELLICOR-RENDER(1)                 User Commands                 VELLICOR-RENDER(1)

NAME
       vellicor-render - limit audio files with the Vellicor plug-in

SYNOPSIS
       vellicor-render IN OUT [--plugin PATH] [--format vst3|vst2]
                       [--preset NAME|INDEX] [--set NAME=VALUE]... [--block N]
                       [--precision 32|64] [--sample-format FORMAT]
                       [--transport-start SECONDS] [--snapshot FILE.png]
                       [--quiet]
       vellicor-render [--plugin PATH] [--format vst3|vst2] --list-presets
       vellicor-render [--plugin PATH] [--format vst3|vst2] --list-params
       vellicor-render --help | --version

DESCRIPTION
       Loads the Vellicor look-ahead peak limiter as a host would (VST3 or
       VST2, through the module's C interface only), runs the audio of IN
       through it and writes the result to OUT, then prints a short summary:
       files, rate, channels, frames, preset, every parameter as the plug-in
       displays it, input and output peaks in dBFS, the time taken and the
       realtime factor (of the whole render and of the plug-in alone).

       IN may be any WAV, AIFF or FLAC file at any sample rate, 16-, 24- or
       32-bit PCM or 32- or 64-bit float. Mono files run through the plug-in's
       mono configuration, stereo files through its stereo one; files with more
       channels are refused. OUT keeps the sample rate and length of IN; its
       container follows its extension (.wav, .aif/.aiff, .flac).

       OUT is written to a hidden temporary file next to it and renamed only
       when the render has succeeded: a failed or interrupted render leaves no
       output behind, and an existing OUT stays untouched. OUT must not be
       IN itself.

       The plug-in reports no latency: the look-ahead ("Look Ahead", in ms)
       delays the limited signal by that time within the same length.

OPTIONS
       --plugin PATH
              The module to load: a .vst3 bundle (or the .so inside it) for
              VST3, the .so for VST2. Default: the module installed next to
              this program (vellicor.vst3, or vellicor_vst2.so with
              --format vst2).

       --format vst3|vst2
              Which plug-in format to host. Default: vst3.

       --preset NAME|INDEX
              Recall a factory preset through the host interface (program
              change) before the first sample, by index (see --list-presets) or
              by name, case-insensitive, e.g. --preset "Hard Limiting".

       --set NAME=VALUE
              Set a parameter, by its name (case-insensitive), to VALUE in the
              parameter's own units, e.g. --set Release=50 or
              --set "Stereo Link=100"; the unit may follow the number
              ("50 ms"). Applied after --preset, in the order given. Unknown
              names and values outside a parameter's range are errors; see
              --list-params for names and ranges.

       --block N
              Frames per process call, 1 to 65536. Default: 512.

       --precision 32|64
              Hand the plug-in 32-bit float buffers (the default, as most hosts
              do) or 64-bit ones (VST3 64-bit sample size, VST2 double
              replacing).

       --sample-format pcm16|pcm24|pcm32|float|double
              Sample format of OUT. Default: float for WAV and AIFF, pcm24 for
              FLAC (which holds pcm16 and pcm24 only). Integer formats clip at
              full scale.

       --transport-start SECONDS
              Host transport position of the first sample, as the plug-in's
              peak memory reports it. Default: 0.

       --snapshot FILE.png
              After the render, write the plug-in's editor as PNG: knobs at
              the rendered settings, the gain-reduction meters as they stood
              over the last second of audio, the peak memory with its times
              and the stored row. The module draws it without a window, as
              its editor window would show it.

       --list-presets
              Print the plug-in's presets with their indexes and exit.

       --list-params
              Print the plug-in's parameters with their ranges, units and
              defaults and exit.

       -q, --quiet
              Print nothing but errors; no progress bar.

       -h, --help
              Print this page.

       -V, --version
              Print the program's version.

       A progress bar appears on stderr for files longer than 30 seconds when
       stderr is a terminal.

EXIT STATUS
       0      The output was written.
       1      The render failed: unreadable input, a module that does not load,
              an unknown preset or parameter, a value out of range, a write
              error. One line on stderr says why; no output file is left.
       2      The command line is wrong.
       130    Interrupted (SIGINT or SIGTERM); no output file is left.

EXAMPLES
       vellicor-render mix.wav mix-limited.wav --preset "Hard Limiting"
       vellicor-render vocal.flac out.flac --set "Out Limit=-1" --set Release=50
       vellicor-render in.aiff out.wav --precision 64 --sample-format double
       vellicor-render --list-presets
       vellicor-render in.wav out.wav --format vst2 --preset 7 --block 64
       vellicor-render in.wav out.wav --snapshot editor.png
)";
}
// clang-format on
