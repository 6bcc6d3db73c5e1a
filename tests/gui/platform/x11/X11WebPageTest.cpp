#include "gui/platform/x11/X11WebPage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace
{
namespace fs = std::filesystem;

// PATH points at a folder of our own for one test.
class WebPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("vellicor-xdg-" + std::to_string(getpid()));
        fs::create_directories(dir);
        oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", dir.c_str(), 1);
    }
    void TearDown() override
    {
        setenv("PATH", oldPath.c_str(), 1);
        fs::remove_all(dir);
    }
    fs::path dir;
    std::string oldPath;
};

TEST_F(WebPageTest, StartsXdgOpenWithTheAddressAsItsOnlyArgument)
{
    const fs::path script = dir / "xdg-open", out = dir / "args";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s|' \"$@\" > " << out.string() << ".tmp && /bin/mv " << out.string()
                          << ".tmp " << out.string() << "\n";
    fs::permissions(script, fs::perms::owner_all);
    const char* address = "https://example.org/a b?c=1&d=$(x)";
    ASSERT_TRUE(OpenWebPageWithXdg(address));
    for (int i = 0; i < 200 && !fs::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::string args;
    std::getline(std::ifstream(out), args);
    EXPECT_EQ(args, std::string(address) + "|") << "the address must reach xdg-open whole, without a shell";
}

TEST_F(WebPageTest, AnswersFalseWithoutXdgOpenOrForAnAddressThatLooksLikeAnOption)
{
    EXPECT_FALSE(OpenWebPageWithXdg("https://example.org/"));
    EXPECT_FALSE(OpenWebPageWithXdg(""));
    EXPECT_FALSE(OpenWebPageWithXdg(nullptr));
    std::ofstream(dir / "xdg-open") << "#!/bin/sh\n";
    fs::permissions(dir / "xdg-open", fs::perms::owner_all);
    EXPECT_FALSE(OpenWebPageWithXdg("--help"));
}
} // namespace
