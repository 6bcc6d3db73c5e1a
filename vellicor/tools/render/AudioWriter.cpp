#include "vellicor/tools/render/AudioWriter.h"

#include <sndfile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

AudioWriter::~AudioWriter()
{
    Abandon();
}

bool AudioWriter::Open(const std::string& path, Container container, SampleFormat format, int32_t sampleRate,
                       int32_t channels, std::string& error)
{
    finalPath = path;
    const int code = SndfileFormat(container, format);
    if (code == 0)
    {
        error = std::string(ContainerName(container)) + " cannot hold " + SampleFormatName(format) +
                " samples (FLAC takes pcm16 or pcm24)";
        return false;
    }
    struct stat st
    {
    };
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    {
        error = "cannot write " + path + ": it is a directory";
        return false;
    }

    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = dir + "." + base + ".part-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
    {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    tempPath = name.data();
    // mkstemp makes the file private; the result should get the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);

    SF_INFO info{};
    info.format = code;
    info.channels = channels;
    info.samplerate = sampleRate;
    file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!file)
    {
        error = "cannot write " + path + ": " + sf_strerror(nullptr);
        Abandon(); // libsndfile has closed the descriptor
        return false;
    }
    // Integer files clip at full scale instead of wrapping around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return true;
}

bool AudioWriter::Write(const float* interleaved, int64_t frames)
{
    if (!file) return false;
    return sf_writef_float(file, interleaved, frames) == frames;
}

bool AudioWriter::Write(const double* interleaved, int64_t frames)
{
    if (!file) return false;
    return sf_writef_double(file, interleaved, frames) == frames;
}

std::string AudioWriter::LastError() const
{
    const char* reason = file ? sf_strerror(file) : "not open";
    // libsndfile reports a full disk as a short write without an errno of its own.
    if (file && sf_error(file) == SF_ERR_NO_ERROR) reason = std::strerror(errno ? errno : EIO);
    return "cannot write " + finalPath + ": " + reason;
}

bool AudioWriter::Commit(std::string& error)
{
    if (!file)
    {
        error = "cannot write " + finalPath + ": not open";
        return false;
    }
    const int closed = sf_close(file);
    file = nullptr;
    if (closed != 0)
    {
        error = "cannot write " + finalPath + ": " + sf_error_number(closed);
        Abandon();
        return false;
    }
    if (std::rename(tempPath.c_str(), finalPath.c_str()) != 0)
    {
        error = "cannot write " + finalPath + ": " + std::strerror(errno);
        Abandon();
        return false;
    }
    tempPath.clear();
    return true;
}

void AudioWriter::Abandon()
{
    if (file)
    {
        sf_close(file);
        file = nullptr;
    }
    if (!tempPath.empty())
    {
        unlink(tempPath.c_str());
        tempPath.clear();
    }
}
