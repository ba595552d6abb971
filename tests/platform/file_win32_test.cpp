// The Win32 file service: replacing an existing file, leftovers of killed
// saves, devices, and reads that refuse what is not a file.
#include "platform/file.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class FileService : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("linewatch-file-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    static std::string contents(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::vector<std::string> names() const
    {
        std::vector<std::string> found;
        for (const fs::directory_entry& e : fs::directory_iterator(dir))
            found.push_back(e.path().filename().string());
        return found;
    }

    fs::path dir;
};

TEST_F(FileService, ASecondSaveReplacesTheFirstAndLeavesNoTemporaryFile)
{
    // The C library's rename fails onto an existing file here, so the second
    // run of the program used to keep its first settings for ever.
    const std::string ini = path("linewatch.ini");
    for (const char* text : {"ixf:1\n", "ixf:22\n", "ixf:333\n"}) {
        const FileSave save = saveFileAtomically(ini.c_str(), text);
        EXPECT_TRUE(save.saved) << save.reason;
        EXPECT_FALSE(save.rewrittenInPlace);
        EXPECT_EQ(contents(ini), text);
    }
    EXPECT_EQ(names(), std::vector<std::string>{"linewatch.ini"});
}

TEST_F(FileService, LeftoversOfEndedSavesGoButThoseOfRunningOnesStay)
{
    const std::string ini = path("linewatch.ini");
    // No process has id 0xFFFFFFF0; this test's own process runs.
    const std::string dead = path(".linewatch.ini.4294967280.1.tmp");
    const std::string alive = path(".linewatch.ini." + std::to_string(GetCurrentProcessId()) + ".999.tmp");
    const std::string other = path(".other.ini.4294967280.1.tmp");
    for (const std::string& f : {dead, alive, other})
        std::ofstream(f) << "half";
    ASSERT_TRUE(saveFileAtomically(ini.c_str(), "new").saved);
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(alive)) << "a save of this very process may still be writing it";
    EXPECT_TRUE(fs::exists(other)) << "another file's leftovers are not ours to judge";
}

TEST_F(FileService, FailuresAreReportedAndLeaveNothingBehind)
{
    FileSave save;
    save = saveFileAtomically(path("missing\\linewatch.ini").c_str(), "new");
    EXPECT_FALSE(save.saved);
    EXPECT_FALSE(save.reason.empty());
    save = saveFileAtomically(dir.string().c_str(), "new");
    EXPECT_FALSE(save.saved);
    EXPECT_EQ(save.reason, "Is a directory");
    EXPECT_TRUE(names().empty());
}

TEST_F(FileService, TheNulDeviceIsWrittenInPlace)
{
    const FileSave save = saveFileAtomically("NUL", "picture");
    EXPECT_TRUE(save.saved) << save.reason;
    EXPECT_TRUE(names().empty());
}

TEST_F(FileService, ReadsTellMissingFromRefusedAndStopAtTheLimit)
{
    const std::string ini = path("linewatch.ini");
    ASSERT_TRUE(saveFileAtomically(ini.c_str(), "0123456789").saved);
    FileRead read = readRegularFile(ini.c_str(), 4);
    EXPECT_EQ(read.status, FileRead::Read);
    EXPECT_EQ(read.bytes, "0123");
    EXPECT_EQ(readRegularFile(path("none.ini").c_str(), 10).status, FileRead::Missing);
    read = readRegularFile(dir.string().c_str(), 10);
    EXPECT_EQ(read.status, FileRead::Refused);
    EXPECT_EQ(read.reason, "not a regular file");
    EXPECT_EQ(readRegularFile("NUL", 10).status, FileRead::Refused);
}

}  // namespace
