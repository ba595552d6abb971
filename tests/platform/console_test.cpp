#include "platform/console.h"

#include "platform/key_mask.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Makes fd the standard input for the lifetime of the object.
class StdinFrom {
public:
    explicit StdinFrom(int fd) : saved_(dup(STDIN_FILENO)) { dup2(fd, STDIN_FILENO); }
    ~StdinFrom()
    {
        dup2(saved_, STDIN_FILENO);
        close(saved_);
    }

private:
    int saved_;
};

// Opens a pseudo-terminal without output processing, so bytes arrive as written.
void openRawPty(int& master, int& slave)
{
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    struct termios raw;
    ASSERT_EQ(tcgetattr(slave, &raw), 0);
    cfmakeraw(&raw);
    ASSERT_EQ(tcsetattr(slave, TCSANOW, &raw), 0);
}

// Everything waiting on the master side of a pseudo-terminal.
std::string drain(int master)
{
    std::string got;
    char buf[512];
    fcntl(master, F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = read(master, buf, sizeof buf)) > 0;)
        got.append(buf, static_cast<std::size_t>(n));
    return got;
}

// Raises sig in a child: no core file for the signals whose default dumps one.
void raiseWithoutCore(int sig)
{
    struct rlimit none = {0, 0};
    setrlimit(RLIMIT_CORE, &none);
    raise(sig);
}

}  // namespace

TEST(ConsoleOutput, ShiftJisIsWrittenAsUtf8)
{
    // The test environment's locale is not Shift_JIS.
    testing::internal::CaptureStdout();
    console_print("%s %d 秒\r", "データ", 42);
    console_print("\x80|\xa0|\xfd\n");
    std::string got = testing::internal::GetCapturedStdout();
    const std::string want = "\xe3\x83\x87\xe3\x83\xbc\xe3\x82\xbf 42 \xe7\xa7\x92\r";
    ASSERT_GE(got.size(), want.size());
    EXPECT_EQ(got.substr(0, want.size()), want);
    // Bytes with no character never come out as C1 control characters.
    for (std::size_t i = 0; i + 1 < got.size(); ++i)
        EXPECT_FALSE(static_cast<unsigned char>(got[i]) == 0xC2 &&
                     (static_cast<unsigned char>(got[i + 1]) & 0xE0) == 0x80)
            << "at " << i;
    EXPECT_EQ(got.back(), '\n');
}

TEST(ConsoleOutput, TheKeyIsMaskedLastInWhatIsWritten)
{
    const std::string key = "0f1e2d3c4b5a69788796a5b4c3d2e1f00f1e2d3c4b5a69788796a5b4c3d2e1f0";
    const std::string head = key.substr(0, 30), tail = key.substr(30);
    configureShownKey(key);
    testing::internal::CaptureStdout();
    // joined by the formatting, and by the control filter
    console_print("a %s%s b\n", head.c_str(), tail.c_str());
    console_print("c %s\x1b\x7f%s d\n", head.c_str(), tail.c_str());
    const std::string written = testing::internal::GetCapturedStdout();
    std::string captured;
    console_capture(&captured);
    console_print("e %s\x01%s\n", head.c_str(), tail.c_str());
    console_capture(nullptr);
    configureShownKey("");
    EXPECT_EQ(written, "a *** b\nc *** d\n");
    EXPECT_EQ(captured, "e ***\n");
}

TEST(ConsoleOutput, OnATerminalAnOverwritingMessageErasesTheLineFirst)
{
    int master, slave;
    openRawPty(master, slave);
    std::fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    dup2(slave, STDOUT_FILENO);
    console_print("A1005S:Local:Ginza:Shibuya->OmoteSando         \r");
    console_print("データ再取得まで %2d 秒\r", 88);
    // A tab moves over the countdown without erasing it, so only erasing first helps.
    console_print("%s%s", "c : ", ",\t");
    console_print("j\n");
    // Escapes inside a text stay filtered; only the console adds one.
    console_print("%s\n%s\n", "x\x1b[Ky", "second");
    console_print("no line end");
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);

    std::string got = drain(master);
    close(master);
    close(slave);
    EXPECT_EQ(got,
              "A1005S:Local:Ginza:Shibuya->OmoteSando         \r"
              "\x1b[K\xe3\x83\x87\xe3\x83\xbc\xe3\x82\xbf\xe5\x86\x8d\xe5\x8f\x96\xe5\xbe\x97"
              "\xe3\x81\xbe\xe3\x81\xa7 88 \xe7\xa7\x92\r"
              "\x1b[Kc : ,\tj\nx[Ky\nsecond\nno line end");
}

// A line left open on the terminal (the countdown) is ended on every way out,
// so the shell prompt does not land on it; the exit keeps its own status.
TEST(ConsoleTerminal, AnOpenLineIsEndedOnExitAndOnDeadlySignals)
{
    struct Case {
        const char* text;
        int sig;  // 0: exit(3)
        const char* tail;
    };
    const Case cases[] = {
        {"countdown\r", 0, "countdown\r\n"},       {"countdown\r", SIGUSR1, "countdown\r\n"},
        {"no line end", SIGALRM, "no line end\n"}, {"ended\n", 0, "ended\n"},
        {"ended\n", SIGPROF, "ended\n"},
    };
    for (const Case& c : cases) {
        int master, slave;
        openRawPty(master, slave);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dup2(slave, STDOUT_FILENO);
            console_open();
            console_print("%s", c.text);
            if (c.sig)
                raise(c.sig);
            std::exit(3);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (c.sig) {
            ASSERT_TRUE(WIFSIGNALED(status)) << c.text;
            EXPECT_EQ(WTERMSIG(status), c.sig);
        } else {
            ASSERT_TRUE(WIFEXITED(status)) << c.text;
            EXPECT_EQ(WEXITSTATUS(status), 3);
        }
        EXPECT_EQ(drain(master), c.tail) << c.text << " signal " << c.sig;
        close(master);
        close(slave);
    }
}

TEST(ConsoleInput, PipedInputIsReadByteByByteConvertedAndItsEndQuits)
{
    int p[2];
    ASSERT_EQ(pipe(p), 0);
    {
        StdinFrom in(p[0]);
        EXPECT_FALSE(console_key_waiting());
        ASSERT_EQ(write(p[1], "k3 8\n", 5), 5);
        EXPECT_TRUE(console_key_waiting());
        EXPECT_EQ(console_read_key(), 'k');
        char line[16];
        ASSERT_TRUE(console_read_line(line, sizeof line));
        EXPECT_STREQ(line, "3 8");
        // Typed UTF-8 becomes Shift_JIS (the test's locale is not Shift_JIS),
        // cut on a character boundary: five bytes hold two characters.
        const char typed[] = "\xe3\x81\x82\xe3\x81\x82\xe3\x81\x82\n";
        ASSERT_EQ(write(p[1], typed, sizeof typed - 1), static_cast<ssize_t>(sizeof typed - 1));
        char cut[6];
        ASSERT_TRUE(console_read_line(cut, sizeof cut));
        EXPECT_STREQ(cut, "ああ");
        EXPECT_FALSE(console_key_waiting());
        close(p[1]);
        EXPECT_TRUE(console_key_waiting());
        EXPECT_EQ(console_read_key(), 'q');
        EXPECT_FALSE(console_read_line(line, sizeof line));
    }
    close(p[0]);
}

TEST(ConsoleTerminal, RawModeIsUndoneOnCloseSignalsAndStops)
{
    int master, slave;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    struct termios before;
    ASSERT_EQ(tcgetattr(slave, &before), 0);
    ASSERT_TRUE(before.c_lflag & ECHO);
    ASSERT_TRUE(before.c_lflag & ICANON);
    {
        StdinFrom in(slave);
        console_open();
        struct termios raw;
        tcgetattr(slave, &raw);
        EXPECT_FALSE(raw.c_lflag & (ECHO | ICANON));

        // An arrow typed on the terminal.
        ASSERT_EQ(write(master, "\x1b[D", 3), 3);
        EXPECT_EQ(console_read_key(), kConsoleArrowPrefix);
        EXPECT_EQ(console_read_key(), 0x4B);

        console_close();
        struct termios after;
        tcgetattr(slave, &after);
        EXPECT_EQ(after.c_lflag, before.c_lflag);
        console_close();
    }

    // Every signal whose default ends the process, not only the usual few,
    // and exit() from anywhere.
    const int deadly[] = {SIGTERM, SIGPIPE, SIGUSR1,   SIGUSR2, SIGALRM,      SIGTRAP,
                          SIGSYS,  SIGXCPU, SIGVTALRM, SIGPROF, SIGRTMIN + 1, 0};
    int status = 0;
    struct termios after;
    for (int sig : deadly) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dup2(slave, STDIN_FILENO);
            console_open();
            struct termios raw;
            tcgetattr(STDIN_FILENO, &raw);
            if (raw.c_lflag & ECHO)
                _exit(5);
            if (sig)
                raiseWithoutCore(sig);
            std::exit(6);
        }
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (sig) {
            ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << sig << ": exit status " << WEXITSTATUS(status);
            EXPECT_EQ(WTERMSIG(status), sig);
        } else {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 6);
        }
        tcgetattr(slave, &after);
        EXPECT_EQ(after.c_lflag, before.c_lflag) << "signal " << sig;
    }
    // Ctrl-Z: normal terminal while stopped, single-key mode again after fg.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(slave, STDIN_FILENO);
        console_open();
        raise(SIGTSTP);
        struct termios raw;
        tcgetattr(STDIN_FILENO, &raw);
        _exit((raw.c_lflag & (ECHO | ICANON)) ? 7 : 0);
    }
    ASSERT_EQ(waitpid(child, &status, WUNTRACED), child);
    ASSERT_TRUE(WIFSTOPPED(status));
    tcgetattr(slave, &after);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    kill(child, SIGCONT);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    close(master);
    close(slave);
}
