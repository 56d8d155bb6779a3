// `orix render --driver N`: every driver of the device list draws the demonstration as the
// primary display does (all of them are one rasteriser here); past the list it fails.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/picture_files.h"
#include "tools/tool_run.h"

namespace {

using orix_tool_test::ReadAll;
using orix_tool_test::Tool;

TEST(OrixRender, EveryListedDriverDrawsThePrimaryDisplaysFrames) {
    orix::test::PictureTempDir dir;
    setenv("ORIX_PROFILE", dir.File("profile.ini").c_str(), 1);
    auto render = [&](int n) {
        const std::string d = std::to_string(n);
        return Tool("render --frames 3 --out " + dir.File("d" + d) + " --driver " + d, true);
    };
    auto frame = [&](int n) {
        return ReadAll(dir.File("d" + std::to_string(n) + "/frame-0003.png"));
    };
    ASSERT_EQ(render(0).status, 0);
    const std::string primary = frame(0);
    ASSERT_FALSE(primary.empty());
    int n = 1;
    orix_tool_test::Result r;
    for (; n < 16 && (r = render(n)).status == 0; ++n) EXPECT_TRUE(frame(n) == primary) << n;
    EXPECT_NE(r.out.find("no driver " + std::to_string(n)), std::string::npos) << r.out;
}

}  // namespace
