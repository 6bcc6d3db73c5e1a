#include "vellicor/tools/render/Help.h"

// GNU style, so that help2man makes the manual page from it: "Usage:" lines, a description,
// options indented by two, and "Heading:" lines that become the page's sections.
// clang-format off
const char* HelpText()
{
    return
R"(Usage: vellicor-render IN OUT [OPTION]...
  or:  vellicor-render IN... --out-dir DIR [OPTION]...
  or:  vellicor-render [--plugin PATH] [--format vst3|vst2] --list-presets|--list-params
Limit audio files with the Vellicor plug-in, loaded as a host loads it.

Runs the audio of IN through the Vellicor look-ahead peak limiter (VST3 or
VST2, through the module's C interface only) and writes the result to OUT,
then prints a summary: files, rate, channels, frames, preset, every parameter
as the plug-in displays it, sample peaks (dBFS), true peaks (dBTP), integrated
loudness (LUFS) and loudness range (LU) of input and output per EBU R128 /
ITU-R BS.1770, the alignment, and the time taken.

IN may be any WAV, AIFF or FLAC file at any sample rate, 16-, 24- or 32-bit
PCM or 32- or 64-bit float. Mono files run through the plug-in's mono
configuration, stereo files through its stereo one; files with more channels
are refused. OUT keeps the sample rate and length of IN; its container follows
its extension (.wav, .aif/.aiff, .flac).

The output lines up with the input, frame for frame, and nothing of the
input's end is lost: the plug-in delays its output by the look-ahead and
reports no latency, so the tool measures that delay (a quiet impulse through
a separate instance with the same settings), feeds as many frames of silence
after the input and drops as many from the start. --no-align writes the
plug-in's output as it comes instead.

OUT is written to a hidden temporary file next to it and renamed only when the
render has succeeded: a failed or interrupted render leaves no output behind,
and an existing OUT stays untouched. OUT must not be IN itself.

Options:
      --plugin PATH        the module to load: a .vst3 bundle (or the .so
                           inside it) for VST3, the .so for VST2; default: the
                           module next to this program (vellicor.vst3, or
                           vellicor_vst2.so with --format vst2), else the one
                           installed beside it by the package
                           (../lib/vst3/vellicor.vst3,
                           ../lib/lxvst/vellicor_vst2.so)
      --format vst3|vst2   the plug-in format to host (default: vst3)
      --preset NAME|INDEX  recall a factory preset before the first sample, by
                           index (see --list-presets) or by name,
                           case-insensitive, e.g. --preset "Hard Limiting"
      --set NAME=VALUE     set a parameter, by its name (case-insensitive), to
                           VALUE in its own units, e.g. --set Release=50 or
                           --set "Out Limit=-1 dB"; applied after --preset, in
                           the order given (see --list-params)
      --block N            frames per process call, 1 to 65536 (default: 512)
      --precision 32|64    hand the plug-in 32-bit float buffers (default) or
                           64-bit ones
      --sample-format FORMAT
                           pcm16, pcm24, pcm32, float or double: the sample
                           format of the output (default: float for WAV and
                           AIFF, pcm24 for FLAC, which holds pcm16 and pcm24
                           only); integer formats clip at full scale
      --no-align           write the plug-in's output as it comes: delayed by
                           the look-ahead, the input's last frames cut off
      --out-dir DIR        limit every IN with the same settings into DIR,
                           each output keeping its input's name and container;
                           a file that fails is reported and the others still
                           run; a table of every file's loudness and peaks
                           ends the run
      --json               print the summary as one JSON object: parameters,
                           peaks, loudness, timings and alignment (with
                           --out-dir: one object with every file's)
      --plot FILE.png      draw the render: input and output as envelopes,
                           the ceiling ("Out Limit"), and the gain reduction
                           below them, over time in seconds
      --plot-size WxH      the plot's size in pixels (default: 1200x600)
      --transport-start SECONDS
                           host transport position of the first sample, as the
                           plug-in's peak memory reports it (default: 0)
      --snapshot FILE.png  after the render, write the plug-in's editor as its
                           window would show it: knobs, meters over the last
                           second of audio, peak memory
      --list-presets       print the plug-in's presets with their indexes
      --list-params        print the parameters with ranges, units, defaults
  -q, --quiet              print nothing but errors
  -h, --help               display this help and exit
  -V, --version            output version information and exit

On a terminal a progress line (file, frames done, speed) appears on stderr
once a render has taken about two seconds; never with --quiet or when stderr
is not a terminal.

Exit status:
 0  every output was written;
 1  a render failed: unreadable input, a module that does not load, an unknown
    preset or parameter, a value out of range, a write error (one line on
    stderr says why and no output file is left; with --out-dir, for each file
    that failed, after the others were written);
 2  the command line is wrong;
 130  interrupted (SIGINT or SIGTERM); no partial output file is left.

Examples:
  vellicor-render mix.wav mix-limited.wav --preset "Hard Limiting"

  vellicor-render mix.wav out.wav --preset 2 --plot limiting.png --json

  vellicor-render stems/*.wav --out-dir limited --set "Out Limit=-1"

  vellicor-render vocal.flac out.flac --set "Out Limit=-1" --set Release=50

  vellicor-render in.aiff out.wav --precision 64 --sample-format double

  vellicor-render in.wav out.wav --format vst2 --preset 7 --block 64

  vellicor-render in.wav out.wav --snapshot editor.png
)";
}
// clang-format on
