#include "platform/file.h"
#include "tests/platform/file_faults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class FileService : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dirTemplate[] = "/tmp/linewatch-file-XXXXXX";
        ASSERT_NE(mkdtemp(dirTemplate), nullptr);
        dir = dirTemplate;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const std::string& name) const { return dir + "/" + name; }

    static void put(const std::string& file, const std::string& text)
    {
        std::ofstream(file, std::ios::binary) << text;
    }

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
        std::sort(found.begin(), found.end());
        return found;
    }

    std::string dir;
};

}  // namespace

TEST_F(FileService, AFailedWriteKeepsTheOldFileWholeWhetherReplacedOrRewrittenInPlace)
{
    const std::string file = path("settings");
    put(file, "old");
    const std::string longer(4096, 'n');
    {
        FileSizeLimit limit(100);
        const FileSave replaced = saveFileAtomically(file.c_str(), longer);
        EXPECT_FALSE(replaced.saved);
        EXPECT_EQ(replaced.reason, "File too large");
    }
    EXPECT_EQ(contents(file), "old");
    EXPECT_EQ(names(), std::vector<std::string>{"settings"}) << "the temporary file is removed";

    // A second name makes it a rewrite in place; the room is reserved before a byte changes.
    ASSERT_EQ(link(file.c_str(), path("second").c_str()), 0);
    {
        FileSizeLimit limit(100);
        const FileSave inPlace = saveFileAtomically(file.c_str(), longer);
        EXPECT_FALSE(inPlace.saved);
        EXPECT_EQ(inPlace.reason, "File too large");
    }
    EXPECT_EQ(contents(file), "old");
    const FileSave shorter = saveFileAtomically(file.c_str(), "ne");
    EXPECT_TRUE(shorter.saved && shorter.rewrittenInPlace);
    EXPECT_EQ(contents(path("second")), "ne") << "a shorter text leaves no tail of the old one";
}

TEST_F(FileService, PipesAndDevicesAreNeverWaitedOnNorReplaced)
{
    const std::string pipe = path("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    const FileRead read = readRegularFile(pipe.c_str(), 100);
    EXPECT_EQ(read.status, FileRead::Refused);
    EXPECT_EQ(read.reason, "not a regular file");
    const FileSave save = saveFileAtomically(pipe.c_str(), "x");
    EXPECT_FALSE(save.saved);
    EXPECT_EQ(save.reason, "no program is reading from the pipe");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(fs::is_fifo(pipe));

    EXPECT_EQ(readRegularFile(dir.c_str(), 100).status, FileRead::Refused);
    EXPECT_EQ(readRegularFile("/dev/zero", 100).status, FileRead::Refused);
    EXPECT_EQ(readRegularFile(path("absent").c_str(), 100).status, FileRead::Missing);
    EXPECT_FALSE(saveFileAtomically(dir.c_str(), "x").saved);
    EXPECT_TRUE(saveFileAtomically("/dev/null", "x").saved);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    // A program's own output named through the system's links, as --snapshot /dev/stdout does.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string output = "/proc/self/fd/" + std::to_string(ends[1]);
    EXPECT_TRUE(saveFileAtomically(output.c_str(), "through").saved);
    char got[16] = {};
    EXPECT_EQ(::read(ends[0], got, sizeof got), 7);
    EXPECT_STREQ(got, "through");
    // A reader that went away fails the save instead of ending the program.
    close(ends[0]);
    const FileSave broken = saveFileAtomically(output.c_str(), "nobody reads");
    EXPECT_FALSE(broken.saved);
    EXPECT_EQ(broken.reason, "Broken pipe");
    close(ends[1]);
    // A regular file on standard output (--snapshot /dev/stdout > picture) is
    // written where the descriptor points, not replaced by name.
    const std::string redirected = path("redirected");
    put(redirected, "old");
    const int fd = open(redirected.c_str(), O_RDWR);
    struct stat before;
    ASSERT_EQ(fstat(fd, &before), 0);
    EXPECT_TRUE(saveFileAtomically(("/proc/self/fd/" + std::to_string(fd)).c_str(), "new").saved);
    struct stat after;
    ASSERT_EQ(stat(redirected.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(contents(redirected), "new");
    close(fd);

    put(path("big"), std::string(5000, 'b'));
    EXPECT_EQ(readRegularFile(path("big").c_str(), 4500).bytes, std::string(4500, 'b'));
}

TEST_F(FileService, LinksAreFollowedToTheFileTheyNameAndALoopIsAnError)
{
    fs::create_directory(path("real"));
    fs::create_symlink("real/target", path("first"));
    fs::create_symlink("first", path("second"));
    const FileSave dangling = saveFileAtomically(path("second").c_str(), "made");
    EXPECT_TRUE(dangling.saved) << dangling.reason;
    EXPECT_EQ(contents(path("real/target")), "made") << "a dangling link names the file to create";
    EXPECT_TRUE(fs::is_symlink(path("first")) && fs::is_symlink(path("second")));

    fs::create_symlink("loop-b", path("loop-a"));
    fs::create_symlink("loop-a", path("loop-b"));
    const FileSave loop = saveFileAtomically(path("loop-a").c_str(), "x");
    EXPECT_FALSE(loop.saved);
    EXPECT_EQ(loop.reason, "Too many levels of symbolic links");
}

TEST_F(FileService, OnlyTheOwnLeftoversOfEndedSavesAreRemoved)
{
    const std::string ended = std::to_string(endedProcess());
    const std::string victim = path("victim");
    put(victim, "precious");
    put(path(".f." + ended + ".tmp"), "old style");
    put(path(".f." + ended + ".Ab3dEf6hIj9L.tmp"), "new style");
    put(path(".f." + std::to_string(getpid()) + ".tmp"), "this process, from before");
    put(path(".f.1.Ab3dEf6hIj9L.tmp"), "a running process's save");
    put(path(".f." + ended + ".mine.tmp"), "not a name the service makes");
    put(path(".g." + ended + ".tmp"), "another file's");
    fs::create_symlink("victim", path(".f." + ended + ".ZZ3dEf6hIj9L.tmp"));
    const std::string foreign = path(".f." + ended + ".Qb3dEf6hIj9L.tmp");
    put(foreign, "another user's");
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(foreign.c_str(), 4321, 4321), 0);
    }

    ASSERT_TRUE(saveFileAtomically(path("f").c_str(), "new").saved);
    std::vector<std::string> expected = {".f.1.Ab3dEf6hIj9L.tmp",
                                         ".f." + ended + ".ZZ3dEf6hIj9L.tmp",
                                         ".f." + ended + ".mine.tmp",
                                         ".g." + ended + ".tmp",
                                         "f",
                                         "victim"};
    if (root)
        expected.push_back(".f." + ended + ".Qb3dEf6hIj9L.tmp");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(contents(victim), "precious");
}

TEST_F(FileService, ANameTooLongForATemporaryBesideItIsRewrittenInPlace)
{
    const std::string longest = path(std::string(NAME_MAX, 'n'));
    put(longest, "old");
    const FileSave save = saveFileAtomically(longest.c_str(), "new");
    EXPECT_TRUE(save.saved && save.rewrittenInPlace);
    EXPECT_EQ(save.reason, "no new file can be made beside it: File name too long");
    EXPECT_EQ(contents(longest), "new");
}

TEST_F(FileService, AFileMountedOnItsOwnIsRewrittenInPlace)
{
    const std::string mounted = path("mounted");
    const std::string source = path("source");
    put(mounted, "old");
    put(source, "old");
    // The mount lives in a child's own mount namespace and ends with it.
    pid_t child = fork();
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount(source.c_str(), mounted.c_str(), nullptr, MS_BIND, nullptr) != 0)
            _exit(2);
        const FileSave save = saveFileAtomically(mounted.c_str(), "new");
        _exit(save.saved && save.rewrittenInPlace &&
                      save.reason == "it cannot be replaced: Device or resource busy"
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "no bind mounts here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(contents(source), "new");
    EXPECT_EQ(contents(mounted), "old") << "the file under the mount was not touched";
}
