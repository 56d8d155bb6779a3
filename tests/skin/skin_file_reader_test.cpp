#include <gtest/gtest.h>

#include "skin/skin_file_reader.h"
#include "skin/skin_test_util.h"

namespace orix {
namespace {

using test::BuildSkinCharacter;
using test::PictureTempDir;
using test::WriteText;

class SkinFileReaderTest : public ::testing::Test {
protected:
    SkinFileReaderTest() : c(0) { BuildSkinCharacter(c, 10); }
    // Reads text as a skin file into c.
    bool Read(const std::string& text) {
        std::string path = dir.File("test.skn");
        EXPECT_TRUE(WriteText(path, text));
        SkinFileReader reader(&c);
        return reader.Read(path);
    }

    PictureTempDir dir;
    SkinnedCharacter c;
};

TEST_F(SkinFileReaderTest, BoneAndIndexLinesAsTheFileLaysThemOut) {
    ASSERT_TRUE(
        Read("MESH_SKIN_FILE \"Skin\"\r\n"
             "5 6 7\n"  // before any bone line: ignored
             "\"Bip01 Pelvis\" 4\n"
             "1;2\n"
             "\n"
             "3\n"
             "# comment 9\n"
             "8\n"
             "\"Bip01 L Arm\" 2\n"  // two bone lines in a row
             "\"Bip01 Pelvis\" 3\n"
             "9 10 11 12 13\n"  // more than declared
             "\"Nobody\" 2\n"
             "4 5\n"              // under an unknown bone: skipped
             "\"Bip01 L Arm\"\n"  // no count: starts no binding
             "6\n"
             "\"Bip01 L Arm\" 3\n"
             "2x y"));  // fewer than declared, no final line break
    ASSERT_EQ(c.skinBindings.size(), 4u);
    const SkinBinding& a = c.skinBindings[0];
    EXPECT_EQ(a.bone, c.helpers[0]);
    EXPECT_EQ(a.count, 4);
    EXPECT_EQ(a.indices, (std::vector<int32_t>{1, 2, 3, 8}));
    EXPECT_EQ(c.skinBindings[1].bone, c.helpers[1]);
    EXPECT_EQ(c.skinBindings[1].count, 2);
    EXPECT_TRUE(c.skinBindings[1].indices.empty());
    EXPECT_EQ(c.skinBindings[2].indices, (std::vector<int32_t>{9, 10, 11}));
    EXPECT_EQ(c.skinBindings[3].count, 3);
    EXPECT_EQ(c.skinBindings[3].indices, (std::vector<int32_t>{2, 0}));

    // A second read appends.
    ASSERT_TRUE(Read("MESH_SKIN_FILE \"Skin\"\n\"Bip01 Pelvis\" 1\n7\n"));
    EXPECT_EQ(c.skinBindings.size(), 5u);
}

}  // namespace
}  // namespace orix
