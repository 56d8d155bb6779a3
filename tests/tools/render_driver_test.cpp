// `orix render --driver N`: every driver of the device list draws the demonstration as the
// primary display does (all of them are one rasteriser here); past the list it fails.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

TEST(OrixRender, EveryListedDriverDrawsThePrimaryDisplaysFrames) {
    const std::string dir = "/tmp/orix-drivers-" + std::to_string(getpid());
    const std::string tool = "ORIX_OFFSCREEN=1 ORIX_PROFILE=" + dir + "/profile.ini '" +
                             ORIX_TOOL_PATH + "' render --frames 3 --out " + dir;
    auto render = [&](int n) {
        std::string args = "/d" + std::to_string(n) + " --driver " + std::to_string(n);
        return std::system((tool + args + " >/dev/null 2>" + dir + "/log").c_str());
    };
    auto frame = [&](int n) {
        std::ifstream in(dir + "/d" + std::to_string(n) + "/frame-0003.png", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    std::filesystem::create_directories(dir);
    ASSERT_EQ(render(0), 0);
    const std::string primary = frame(0);
    ASSERT_FALSE(primary.empty());
    int n = 1;
    for (; n < 16 && render(n) == 0; ++n) EXPECT_TRUE(frame(n) == primary) << "driver " << n;
    std::ifstream log(dir + "/log");
    std::string said(std::istreambuf_iterator<char>(log), {});
    EXPECT_NE(said.find("no driver " + std::to_string(n)), std::string::npos) << said;
    std::filesystem::remove_all(dir);
}

}  // namespace
