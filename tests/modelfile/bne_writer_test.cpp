#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "modelfile/orix_file_bne.h"
#include "support/picture_files.h"

namespace orix {
namespace {

using Bytes = std::vector<uint8_t>;

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

TEST(BneWriter, BytesOnDiskAndWhatAnUnfinishedWriterLeaves) {
    test::PictureTempDir dir;
    OrixFileBne w;
    ASSERT_TRUE(w.Create(dir.File("r.bne")));
    w.WriteMagic();
    w.WriteFace(1, 2, 3, 260);  // the material id keeps its low byte
    EXPECT_TRUE(w.WriteGeometryHeader(""));
    w.WriteFileEnd();
    EXPECT_FALSE(w.IsWriting());
    EXPECT_EQ(test::ReadBytes(dir.File("r.bne")),
              (Bytes{'B', 'N', 'E', 0, 20, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 11, 0, 40}));
    {
        OrixFileBne open;
        ASSERT_TRUE(open.Create(dir.File("open.bne")));
        open.WriteMagic();
        open.WriteAnimationHeader();
    }  // closed without the end record
    EXPECT_EQ(test::ReadBytes(dir.File("open.bne")), (Bytes{'B', 'N', 'E', 0, 26}));
}

TEST(BneWriter, FailuresAreReportedAndLeaveNoUnreadableFile) {
    test::PictureTempDir dir;
    test::MessageCapture capture;
    OrixFileBne w;
    std::string missing = dir.File("missing/folder/x.bne");
    EXPECT_FALSE(w.Create(missing));
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_EQ(capture.Messages()[0].text, "Can't Create " + missing);
    EXPECT_EQ(capture.Messages()[0].caption, "OrixFileBne");
    w.WriteMagic();
    w.WriteFileEnd();
    EXPECT_FALSE(Exists(missing));

    capture.Clear();
    ASSERT_TRUE(w.Create(dir.File("long.bne")));
    w.WriteMagic();
    EXPECT_TRUE(w.WriteGeometryHeader(std::string(255, 'b')));
    EXPECT_FALSE(w.WriteNodeParent(std::string(256, 'p')));
    EXPECT_TRUE(w.WriteFailed());
    EXPECT_FALSE(w.IsWriting());
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_EQ(capture.Messages()[0].caption, "OrixFileBne");
    EXPECT_NE(capture.Messages()[0].text.find("255"), std::string::npos);
    EXPECT_FALSE(Exists(dir.File("long.bne")));
    w.WriteVertex(1, 2, 3);  // later records write nothing and say nothing more
    w.WriteFileEnd();
    EXPECT_FALSE(Exists(dir.File("long.bne")));
    EXPECT_FALSE(w.WriteString(std::string(300, 'x').c_str()));
    EXPECT_EQ(capture.Messages().size(), 1u);

    ASSERT_TRUE(w.Create(dir.File("again.bne")));  // Create starts over
    EXPECT_FALSE(w.WriteFailed());
    w.WriteMagic();
    w.WriteFileEnd();
    EXPECT_EQ(test::ReadBytes(dir.File("again.bne")).size(), 5u);
}

}  // namespace
}  // namespace orix
