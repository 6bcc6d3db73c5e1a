#include "vellicor/tools/render/ParamSettings.h"

#include <gtest/gtest.h>

namespace
{
std::vector<ParamInfo> Params()
{
    return {
        {"Input Gain", "dB", -18.0, 18.0, false, "0"},
        {"Release", "ms", 0.1, 1500.0000000000002, false, "9.0"}, // an end a rounding step off
        {"Stereo Link", "%", 0.0, 100.0, true, "70"},
        {"Meml", "", 0.0, 12006000.0, true, "0"},
    };
}

ParamSetting Resolve(const std::string& text, std::string* errorOut = nullptr)
{
    ParamSetting s;
    std::string error;
    const bool ok = ResolveSetting(text, Params(), s, error);
    if (errorOut) *errorOut = error;
    if (!ok) s.index = -1;
    return s;
}

TEST(ParamSettings, NamesMatchWithoutCaseAndValuesMayCarryTheirUnit)
{
    EXPECT_EQ(Resolve("Release=50").index, 1);
    EXPECT_DOUBLE_EQ(Resolve("release = 50").value, 50.0);
    EXPECT_DOUBLE_EQ(Resolve("Release=50ms").value, 50.0);
    EXPECT_DOUBLE_EQ(Resolve("Release=50 MS").value, 50.0);
    EXPECT_DOUBLE_EQ(Resolve("INPUT GAIN=-3.5 dB").value, -3.5);
    EXPECT_EQ(Resolve("Stereo Link=100").index, 2);
    EXPECT_DOUBLE_EQ(Resolve("Stereo Link=100 %").value, 100.0);
}

TEST(ParamSettings, RangeEndsAreAllowedAndClampedToTheReportedEnds)
{
    EXPECT_DOUBLE_EQ(Resolve("Input Gain=-18").value, -18.0);
    EXPECT_EQ(Resolve("Release=1500").value, 1500.0);
    EXPECT_DOUBLE_EQ(Resolve("Release=0.1").value, 0.1);
    EXPECT_DOUBLE_EQ(Resolve("Meml=12006000").value, 12006000.0);
}

TEST(ParamSettings, RefusalsSayWhatIsAllowed)
{
    std::string error;
    EXPECT_EQ(Resolve("Release=1500.5", &error).index, -1);
    EXPECT_NE(error.find("Release takes 0.1 to 1500 ms"), std::string::npos) << error;
    EXPECT_EQ(Resolve("Release=0.09", &error).index, -1);
    EXPECT_EQ(Resolve("Input Gain=18.01", &error).index, -1);
    EXPECT_NE(error.find("-18 to 18 dB"), std::string::npos) << error;
    EXPECT_EQ(Resolve("Stereo Link=99.5", &error).index, -1);
    EXPECT_NE(error.find("whole numbers from 0 to 100 %"), std::string::npos) << error;
    EXPECT_EQ(Resolve("Release=", &error).index, -1);
    EXPECT_EQ(Resolve("Release=nan", &error).index, -1);
    EXPECT_EQ(Resolve("Release=inf", &error).index, -1);
    EXPECT_EQ(Resolve("Release=1e999", &error).index, -1);
    EXPECT_EQ(Resolve("Release=5 dB", &error).index, -1) << "a unit that is not the parameter's";
    EXPECT_EQ(Resolve("Release=5 5", &error).index, -1);
    EXPECT_EQ(Resolve("Attack=5", &error).index, -1);
    EXPECT_NE(error.find("\"Attack\""), std::string::npos);
    EXPECT_NE(error.find("\"Input Gain\", \"Release\", \"Stereo Link\", \"Meml\""), std::string::npos)
        << error;
    EXPECT_EQ(Resolve("=5", &error).index, -1);
    EXPECT_EQ(Resolve("Release", &error).index, -1);
    EXPECT_NE(error.find("NAME=VALUE"), std::string::npos) << error;
}

TEST(ParamSettings, PresetsByIndexOrNameWithoutCase)
{
    const std::vector<std::string> names = {"---- default ----", "Hard Dynamic", "Hard Limiting", "- 4 -"};
    int32_t index = -1;
    std::string error;
    EXPECT_TRUE(ResolvePreset("2", names, index, error));
    EXPECT_EQ(index, 2);
    EXPECT_TRUE(ResolvePreset("hard LIMITING", names, index, error));
    EXPECT_EQ(index, 2);
    EXPECT_TRUE(ResolvePreset("0", names, index, error));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(ResolvePreset("4", names, index, error));
    EXPECT_NE(error.find("0 to 3"), std::string::npos) << error;
    EXPECT_FALSE(ResolvePreset("99999999999999999999", names, index, error));
    EXPECT_FALSE(ResolvePreset("-1", names, index, error));
    EXPECT_FALSE(ResolvePreset("Hard", names, index, error));
    EXPECT_NE(error.find("\"Hard Dynamic\", \"Hard Limiting\""), std::string::npos) << error;
    EXPECT_FALSE(ResolvePreset("x", {}, index, error));
}

TEST(ParamSettings, NumbersPrintAsPlainDecimals)
{
    EXPECT_EQ(FormatNumber(1500.0), "1500");
    EXPECT_EQ(FormatNumber(0.1), "0.1");
    EXPECT_EQ(FormatNumber(-18.0), "-18");
    EXPECT_EQ(FormatNumber(12006000.0), "12006000");
    EXPECT_EQ(FormatNumber(1500.0000000000002), "1500");
}
} // namespace
