#include "vellicor/tools/render/AudioReader.h"

#include <sndfile.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

AudioReader::~AudioReader()
{
    if (file) sf_close(file);
}

bool AudioReader::Open(const std::string& filePath, std::string& error)
{
    path = filePath;
    struct stat st
    {
    };
    if (stat(filePath.c_str(), &st) != 0)
    {
        error = "cannot read " + filePath + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode))
    {
        error = "cannot read " + filePath + ": it is a directory";
        return false;
    }
    // The system's own words for an unreadable file, rather than libsndfile's wrapped ones.
    const int fd = open(filePath.c_str(), O_RDONLY);
    if (fd < 0)
    {
        error = "cannot read " + filePath + ": " + std::strerror(errno);
        return false;
    }
    close(fd);
    SF_INFO info{};
    file = sf_open(filePath.c_str(), SFM_READ, &info);
    if (!file)
    {
        error = "cannot read " + filePath + ": " + sf_strerror(nullptr);
        return false;
    }
    channels = info.channels;
    sampleRate = info.samplerate;
    frames = info.frames;
    format = info.format;
    if (sampleRate <= 0 || channels <= 0)
    {
        error = "cannot read " + filePath + ": no sample rate or channels in its header";
        return false;
    }
    return true;
}

int64_t AudioReader::Read(float* interleaved, int64_t count)
{
    if (!file || failed) return 0;
    const sf_count_t got = sf_readf_float(file, interleaved, count);
    if (got < count && sf_error(file) != SF_ERR_NO_ERROR) failed = true;
    return got;
}

int64_t AudioReader::Read(double* interleaved, int64_t count)
{
    if (!file || failed) return 0;
    const sf_count_t got = sf_readf_double(file, interleaved, count);
    if (got < count && sf_error(file) != SF_ERR_NO_ERROR) failed = true;
    return got;
}

std::string AudioReader::LastError() const
{
    return "cannot read " + path + ": " + (file ? sf_strerror(file) : "not open");
}
