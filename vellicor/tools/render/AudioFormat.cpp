#include "vellicor/tools/render/AudioFormat.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>

namespace
{
std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}
} // namespace

bool ParseSampleFormat(const std::string& text, SampleFormat& out)
{
    static const struct
    {
        const char* name;
        SampleFormat format;
    } table[] = {
        {"pcm16", SampleFormat::Pcm16}, {"pcm24", SampleFormat::Pcm24},   {"pcm32", SampleFormat::Pcm32},
        {"float", SampleFormat::Float}, {"double", SampleFormat::Double},
    };
    const std::string key = Lower(text);
    for (const auto& entry : table)
    {
        if (key == entry.name)
        {
            out = entry.format;
            return true;
        }
    }
    return false;
}

const char* SampleFormatName(SampleFormat format)
{
    switch (format)
    {
    case SampleFormat::Pcm16:
        return "pcm16";
    case SampleFormat::Pcm24:
        return "pcm24";
    case SampleFormat::Pcm32:
        return "pcm32";
    case SampleFormat::Float:
        return "float";
    case SampleFormat::Double:
        return "double";
    case SampleFormat::Default:
        break;
    }
    return "default";
}

bool ContainerForPath(const std::string& path, Container& out)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    const std::string ext = Lower(path.substr(dot + 1));
    if (ext == "wav" || ext == "wave")
        out = Container::Wav;
    else if (ext == "aif" || ext == "aiff")
        out = Container::Aiff;
    else if (ext == "flac")
        out = Container::Flac;
    else
        return false;
    return true;
}

const char* ContainerName(Container container)
{
    switch (container)
    {
    case Container::Wav:
        return "WAV";
    case Container::Aiff:
        return "AIFF";
    case Container::Flac:
        return "FLAC";
    }
    return "?";
}

SampleFormat ResolveSampleFormat(Container container, SampleFormat format)
{
    if (format != SampleFormat::Default) return format;
    return container == Container::Flac ? SampleFormat::Pcm24 : SampleFormat::Float;
}

int SndfileFormat(Container container, SampleFormat format)
{
    format = ResolveSampleFormat(container, format);
    int major = 0;
    switch (container)
    {
    case Container::Wav:
        major = SF_FORMAT_WAV;
        break;
    case Container::Aiff:
        major = SF_FORMAT_AIFF;
        break;
    case Container::Flac:
        major = SF_FORMAT_FLAC;
        break;
    }
    int subtype = 0;
    switch (format)
    {
    case SampleFormat::Pcm16:
        subtype = SF_FORMAT_PCM_16;
        break;
    case SampleFormat::Pcm24:
        subtype = SF_FORMAT_PCM_24;
        break;
    case SampleFormat::Pcm32:
        subtype = SF_FORMAT_PCM_32;
        break;
    case SampleFormat::Float:
        subtype = SF_FORMAT_FLOAT;
        break;
    case SampleFormat::Double:
        subtype = SF_FORMAT_DOUBLE;
        break;
    case SampleFormat::Default:
        break;
    }
    // FLAC is integer-only (up to 24 bits); libsndfile's own check says which pairs exist.
    SF_INFO probe{};
    probe.format = major | subtype;
    probe.channels = 2;
    probe.samplerate = 48000;
    return sf_format_check(&probe) ? major | subtype : 0;
}

std::string DescribeSndfileFormat(int format)
{
    std::string text;
    switch (format & SF_FORMAT_TYPEMASK)
    {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64:
        text = "WAV";
        break;
    case SF_FORMAT_AIFF:
        text = "AIFF";
        break;
    case SF_FORMAT_FLAC:
        text = "FLAC";
        break;
    default:
    {
        SF_FORMAT_INFO major{};
        major.format = format & SF_FORMAT_TYPEMASK;
        text = sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof(major)) == 0 && major.name ? major.name
                                                                                                  : "?";
        break;
    }
    }

    switch (format & SF_FORMAT_SUBMASK)
    {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return text + ", 8-bit PCM";
    case SF_FORMAT_PCM_16:
        return text + ", 16-bit PCM";
    case SF_FORMAT_PCM_24:
        return text + ", 24-bit PCM";
    case SF_FORMAT_PCM_32:
        return text + ", 32-bit PCM";
    case SF_FORMAT_FLOAT:
        return text + ", 32-bit float";
    case SF_FORMAT_DOUBLE:
        return text + ", 64-bit float";
    default:
        break;
    }
    SF_FORMAT_INFO sub{};
    sub.format = format & SF_FORMAT_SUBMASK;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &sub, sizeof(sub)) == 0 && sub.name)
        return text + ", " + sub.name;
    return text;
}
