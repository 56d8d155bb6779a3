// `orix render --driver N`: every driver the device list offers draws the demonstration, and
// draws it as the primary display does (all of them are one rasteriser here).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

int RunTool(const std::string& args, std::string* out) {
    std::string command = std::string("ORIX_OFFSCREEN=1 '") + ORIX_TOOL_PATH + "' " + args;
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out->append(buf, n);
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(OrixRender, EveryListedDriverDrawsThePrimaryDisplaysFrames) {
    char name[] = "/tmp/orix-drivers-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    const std::filesystem::path dir = name;
    setenv("ORIX_PROFILE", (dir / "profile.ini").c_str(), 1);
    std::string list;
    ASSERT_EQ(RunTool("device list", &list), 0);
    size_t drivers = 0;
    for (char c : list) drivers += c == '\n';
    ASSERT_GE(drivers, 1u) << list;

    std::string primary;
    for (size_t n = 0; n < drivers; ++n) {
        SCOPED_TRACE(n);
        std::string out;
        std::filesystem::path frames = dir / ("driver" + std::to_string(n));
        ASSERT_EQ(
            RunTool("render --frames 3 --driver " + std::to_string(n) + " --out " + frames.string(),
                    &out),
            0)
            << out;
        std::string png = Bytes(frames / "frame-0003.png");
        ASSERT_FALSE(png.empty());
        if (n == 0) primary = png;
        EXPECT_TRUE(png == primary) << "driver " << n << " draws other pixels";
    }
    std::string out;
    EXPECT_EQ(RunTool("render --frames 1 --driver " + std::to_string(drivers) + " 2>&1", &out), 1);
    EXPECT_NE(out.find("no driver " + std::to_string(drivers)), std::string::npos) << out;
    std::filesystem::remove_all(dir);
}

}  // namespace
