#pragma once
// A file name in the test temporary folder that no other test process uses: ctest runs tests of one
// executable side by side, and several test runs may share the machine.
#include <gtest/gtest.h>

#include <string>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

inline std::string TempPath(const char* name)
{
#if defined(_WIN32)
    const int pid = _getpid();
#else
    const int pid = static_cast<int>(getpid());
#endif
    return ::testing::TempDir() + "vellicor-" + std::to_string(pid) + "-" + name;
}
