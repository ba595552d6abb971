// Console device over termios and the standard streams.
// [Output]   conversion, erasing overwritten lines on a terminal
// [Terminal] raw mode, restoration on exit and on signals, ending an open line
// [Input]    bytes of standard input, keys, lines
#include "platform/charset.h"
#include "platform/console_device.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <poll.h>
#include <strings.h>
#include <termios.h>
#include <unistd.h>

namespace {

// ---- output ----

// The C1 controls U+0080..U+009F are two bytes in UTF-8: 0xC2 0x80..0x9F.
void dropUtf8C1(std::string& s)
{
    std::size_t w = 0;
    for (std::size_t r = 0; r < s.size(); ++r) {
        unsigned char c = static_cast<unsigned char>(s[r]);
        if (c == 0xC2 && r + 1 < s.size() && (static_cast<unsigned char>(s[r + 1]) & 0xE0) == 0x80) {
            ++r;
            continue;
        }
        s[w++] = s[r];
    }
    s.resize(w);
}

// True when the terminal's locale already is Shift_JIS; every other locale gets UTF-8.
bool terminalIsShiftJis()
{
    static const bool sjis = [] {
        locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
        if (loc == static_cast<locale_t>(0))
            return false;
        const char* cs = nl_langinfo_l(CODESET, loc);
        bool r = cs && (strcasecmp(cs, "SHIFT_JIS") == 0 || strcasecmp(cs, "SJIS") == 0 ||
                        strcasecmp(cs, "CP932") == 0 || strcasecmp(cs, "WINDOWS-31J") == 0);
        freelocale(loc);
        return r;
    }();
    return sjis;
}

// Where the last output to a terminal left the cursor: after a line end,
// inside a line, or back at the start of a line that the next message
// overwrites (a message ending in "\r"). Read by the exit and signal paths.
enum TerminalLine : sig_atomic_t { lineEnded, lineOpen, lineToOverwrite };
volatile sig_atomic_t terminalLine = lineEnded;

// A message overwriting a line starts by erasing it: writing over it alone
// would leave a longer text's tail showing, and a tab would skip over old
// characters without erasing them. The sequence is added here, after the
// filtering, so downloaded text can never supply one.
void trackTerminalLine(std::string& s)
{
    static const char kEraseLine[] = "\x1b[K";
    if (s.empty())
        return;
    if (terminalLine == lineToOverwrite)
        s.insert(0, kEraseLine);
    const char last = s.back();
    terminalLine = last == '\n' ? lineEnded : last == '\r' ? lineToOverwrite : lineOpen;
}

ConsoleText encodeOutput(const std::string& sjis)
{
    if (terminalIsShiftJis())
        return {sjis, MaskEncoding::ShiftJis};
    std::string utf8 = cp932ToUtf8(sjis);
    dropUtf8C1(utf8);
    return {utf8, MaskEncoding::Utf8};
}

void writeOutput(const std::string& bytes)
{
    std::string out = bytes;
    if (isatty(STDOUT_FILENO))
        trackTerminalLine(out);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

// ---- terminal ----

struct termios savedTerm;
volatile sig_atomic_t rawActive = 0;
bool handlersInstalled = false;

// Signals whose default action ends the process (SIGKILL cannot be caught);
// the real-time signals, which end it too, are added when handlers are installed.
constexpr int kDeadlySignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPOLL
    SIGPOLL,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

void restoreTerminal()
{
    if (rawActive) {
        tcsetattr(STDIN_FILENO, TCSANOW, &savedTerm);
        rawActive = 0;
    }
}

// Every way out (exit, a deadly signal) hands the terminal back as it was
// found: its modes restored and a line left open (the countdown, waiting to
// be overwritten) ended, so the shell's prompt starts on a line of its own.
// Only async-signal-safe calls.
void leaveTerminal()
{
    if (terminalLine != lineEnded) {
        ssize_t r = write(STDOUT_FILENO, "\n", 1);
        (void)r;
        terminalLine = lineEnded;
    }
    restoreTerminal();
}

void applyRaw()
{
    struct termios raw = savedTerm;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0)
        rawActive = 1;
}

// Hands the terminal back, then lets the signal take its default course, so
// the process still ends with the signal's status.
void onDeadlySignal(int sig)
{
    leaveTerminal();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// Ctrl-Z: the shell gets a normal terminal while the program is stopped, and
// single-key mode comes back when it continues.
void onStop(int)
{
    int savedErrno = errno;
    bool wasRaw = rawActive;
    restoreTerminal();
    std::raise(SIGSTOP);
    if (wasRaw)
        applyRaw();
    errno = savedErrno;
}

// Installs handler for sig unless the signal is ignored (nohup) or already
// handled by someone else (a sanitizer's crash report, for one).
void handleIfDefault(int sig, void (*handler)(int))
{
    struct sigaction old;
    if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL || (old.sa_flags & SA_SIGINFO))
        return;
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
}

// ---- input ----

// Next byte of standard input.
int nextByte(int waitMs)
{
    struct pollfd p = {STDIN_FILENO, POLLIN, 0};
    int r;
    do {
        r = poll(&p, 1, waitMs);
    } while (r < 0 && errno == EINTR);
    if (r <= 0)
        return r == 0 ? kConsoleNoByte : kConsoleEndByte;
    unsigned char c;
    ssize_t n;
    do {
        n = read(STDIN_FILENO, &c, 1);
    } while (n < 0 && errno == EINTR);
    return n == 1 ? c : kConsoleEndByte;
}

void openTerminal()
{
    // Installed even when standard input is no terminal: a line left open on
    // a terminal output is ended on the way out all the same.
    if (!handlersInstalled) {
        handlersInstalled = true;
        std::atexit(leaveTerminal);
        for (int sig : kDeadlySignals)
            handleIfDefault(sig, onDeadlySignal);
        for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig)
            handleIfDefault(sig, onDeadlySignal);
        handleIfDefault(SIGTSTP, onStop);
    }
    if (rawActive || !isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &savedTerm) != 0)
        return;
    applyRaw();
}

bool keyWaiting()
{
    struct pollfd p = {STDIN_FILENO, POLLIN, 0};
    return poll(&p, 1, 0) > 0;
}

ConsoleKey readKey()
{
    return readStreamKey(nextByte);
}

bool readLine(std::string& line, std::size_t cap)
{
    bool wasRaw = rawActive;
    if (wasRaw)
        restoreTerminal();  // canonical mode with echo for the line
    // A UTF-8 character takes at most four bytes for each Shift_JIS byte kept.
    const bool any = readStreamLine(nextByte, line, 4 * cap);
    if (wasRaw)
        applyRaw();
    if (!terminalIsShiftJis())
        line = utf8ToCp932(line);
    return any;
}

}  // namespace

const ConsoleDevice console_device = {encodeOutput, writeOutput, openTerminal, restoreTerminal,
                                      keyWaiting,   readKey,     readLine};
