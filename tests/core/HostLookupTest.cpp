#include "core/HostLookup.h"

#include <gtest/gtest.h>

#include <string>

TEST(HostLookup, MatchesKeysCaseInsensitivelyInTableOrder)
{
    EXPECT_EQ(LookUpHost("Cubase"), 3);
    EXPECT_EQ(LookUpHost("CUBASE 12"), 3);
    EXPECT_EQ(LookUpHost("Steinberg Nuendo"), 4);
    EXPECT_EQ(LookUpHost("Nuendo with Cubase inside"), 3) << "the earlier row wins";
    EXPECT_EQ(LookUpHost("Reaper BrainwaveProducer"), 28);
    EXPECT_EQ(LookUpHost("Ableton Live"), 9);
    EXPECT_EQ(LookUpHost("Deliverance"), 9) << "any name containing live";
    EXPECT_EQ(LookUpHost("Ardour"), 27);
    EXPECT_EQ(LookUpHost("REAPER"), 1);
}

TEST(HostLookup, UnknownEmptyAndOverlongNames)
{
    EXPECT_EQ(LookUpHost(""), 0);
    EXPECT_EQ(LookUpHost(nullptr), 0);
    EXPECT_EQ(LookUpHost("Bitwig Studio"), 0);
    const std::string longName = std::string(300, 'x') + "cubase";
    EXPECT_EQ(LookUpHost(longName.c_str()), 0) << "only the first 255 characters are examined";
}
