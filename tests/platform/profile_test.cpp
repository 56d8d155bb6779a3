#include "platform/profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/picture_files.h"

namespace fs = std::filesystem;

namespace orix {
namespace {

// Each test has a profile two folders deep in a temporary folder of its own.
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("ORIX_PROFILE", path_.c_str(), 1); }
    void WriteFile(const std::string& text) {
        fs::create_directories(fs::path(path_).parent_path());
        std::ofstream(path_) << text;
    }
    std::string ReadFile() {
        std::vector<uint8_t> bytes = test::ReadBytes(path_);
        return std::string(bytes.begin(), bytes.end());
    }

    test::PictureTempDir dir_;
    std::string path_ = dir_.File("nested/deeper/profile.ini");
};

TEST_F(ProfileTest, WritingCreatesFoldersAndKeepsEveryOtherLine) {
    EXPECT_EQ(GetProfileString("Orix Config", "Default DirectDraw GUID", "dflt"), "dflt");
    ASSERT_TRUE(WriteProfileString("Orix Config", "Default DirectDraw GUID", "00AB"));
    EXPECT_EQ(ReadFile(), "[Orix Config]\nDefault DirectDraw GUID=00AB\n");
    // No temporary file is left beside it.
    auto files = fs::directory_iterator(fs::path(path_).parent_path());
    EXPECT_EQ(std::distance(fs::begin(files), fs::end(files)), 1);

    WriteFile(
        "; my settings\n[First]\na=1\n\n[orix config]\nzeta = 9\ndefault directdraw guid = OLD\n"
        "# note\nafter=2\n[Last]\nb=3\n");
    EXPECT_EQ(GetProfileString("Orix Config", "Default DirectDraw GUID", ""), "OLD");
    EXPECT_EQ(GetProfileString("Orix Config", "missing", "x"), "x");
    EXPECT_EQ(GetProfileString("Missing", "zeta", "x"), "x");
    // Names match without regard to case; the key takes the writer's spelling.
    ASSERT_TRUE(WriteProfileString("ORIX CONFIG", "Default DirectDraw GUID", "NEW"));
    EXPECT_EQ(ReadFile(),
              "; my settings\n[First]\na=1\n\n[orix config]\nzeta = 9\n"
              "Default DirectDraw GUID=NEW\n# note\nafter=2\n[Last]\nb=3\n");
    ASSERT_TRUE(WriteProfileString("First", "c", "4"));
    ASSERT_TRUE(WriteProfileString("New Section", "k", "v"));
    ASSERT_TRUE(RemoveProfileKey("First", "a"));
    EXPECT_TRUE(RemoveProfileKey("First", "never"));
    const char* expected[][3] = {
        {"First", "a", "gone"},       {"First", "c", "4"},           {"Last", "b", "3"},
        {"Orix Config", "zeta", "9"}, {"Orix Config", "after", "2"}, {"New Section", "k", "v"}};
    for (auto& e : expected) EXPECT_EQ(GetProfileString(e[0], e[1], "gone"), e[2]) << e[1];
}

TEST_F(ProfileTest, RefusesWhatTheFileCouldNotHoldAndLeavesItUntouched) {
    WriteFile("[S]\na=1\n");
    EXPECT_FALSE(WriteProfileString("S", "a", "two\nlines"));
    EXPECT_FALSE(WriteProfileString("S]\n[T", "a", "x"));
    EXPECT_FALSE(WriteProfileString("S", "k=v", "x"));
    EXPECT_FALSE(WriteProfileString("", "a", "x"));
    EXPECT_EQ(ReadFile(), "[S]\na=1\n");
}

}  // namespace
}  // namespace orix
