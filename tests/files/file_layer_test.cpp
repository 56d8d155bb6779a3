// The file layer on its own: a set of outputs is all or nothing, streams can go back, reads
// stop at their limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/input_file.h"
#include "files/output_file.h"
#include "support/picture_files.h"

namespace {

namespace fs = std::filesystem;
void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileLayer, ASetIsWrittenWholeOrNotAtAll) {
    orix::test::PictureTempDir dir;
    Write(dir.File("a"), "old a");
    std::string error;
    for (int64_t budget : {0, 3, 9}) {  // fails in a, in b, in the last file
        orix::SetWriteBudgetForTesting(budget);
        orix::OutputSet set;
        bool ok = set.AddBytes(dir.File("a"), "new a", 5, &error) &&
                  set.AddBytes(dir.File("b"), "new b", 5, &error) && set.Commit(&error);
        orix::SetWriteBudgetForTesting(-1);
        EXPECT_FALSE(ok) << budget;
        EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
        EXPECT_EQ(ReadAll(dir.File("a")), "old a") << budget;
        EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"a"}) << budget;
    }
    orix::OutputSet set;
    ASSERT_TRUE(set.AddBytes(dir.File("a"), "new a", 5, &error) &&
                set.AddBytes(dir.File("b"), "new b", 5, &error) && set.Commit(&error));
    EXPECT_EQ(ReadAll(dir.File("a")) + ReadAll(dir.File("b")), "new anew b");

    // A stream goes back and cuts, as the BNE writer does; an abandoned file leaves nothing.
    orix::OutputFile file;
    ASSERT_TRUE(file.Open(dir.File("c"), &error) && file.Stream());
    std::fputs("hello world", file.Stream());
    ASSERT_TRUE(file.Truncate(5));
    std::fputs("!", file.Stream());
    ASSERT_TRUE(file.Commit(&error)) << error;
    EXPECT_EQ(ReadAll(dir.File("c")), "hello!");
    ASSERT_TRUE(file.Open(dir.File("d"), &error));
    file.Write("x", 1);
    file.Abandon();
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_FALSE(file.Open(dir.Path(), &error));  // a folder is no output

    // A log replaces a link planted under its name, never writing through it, and is in place
    // before anything is written to it.
    Write(dir.File("victim"), "keep me");
    fs::create_symlink(dir.File("victim"), dir.File("log"));
    std::FILE* log = orix::OpenLogFile(dir.File("log"), &error);
    ASSERT_NE(log, nullptr) << error;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.File("log"))));
    std::fputs("line\n", log);
    std::fclose(log);
    EXPECT_EQ(ReadAll(dir.File("log")), "line\n");
    EXPECT_EQ(ReadAll(dir.File("victim")), "keep me");
}

TEST(FileLayer, ReadsStopAtTheirLimitAndTheHeadComesFirst) {
    orix::test::PictureTempDir dir;
    Write(dir.File("ten"), "0123456789");
    std::vector<char> bytes;
    std::string error;
    EXPECT_FALSE(orix::ReadWholeFile(dir.File("ten"), &bytes, &error, 9));
    EXPECT_NE(error.find("too large"), std::string::npos);
    orix::InputFile in;
    std::vector<char> head;
    ASSERT_TRUE(in.Open(dir.File("ten"), &error) && in.Head(4, &head, &error));
    EXPECT_EQ(std::string(head.begin(), head.end()), "0123");
    ASSERT_TRUE(in.ReadAll(&bytes, &error, 10));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123456789");
    // A device has no size to check: it is read up to the limit and no further.
    EXPECT_FALSE(orix::ReadWholeFile("/dev/zero", &bytes, &error, 1 << 20));
    EXPECT_FALSE(orix::ReadWholeFile(dir.File("none"), &bytes, &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
}

}  // namespace
