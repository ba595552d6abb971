#include "platform/chime.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// Runs body in a child process (the back-end is chosen once per process) and
// returns its exit status.
template <typename F>
int inChild(F body)
{
    pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    int status = -1;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

// The signal that ended a child running body, or 0 when it exited by itself.
template <typename F>
int signalThatEndedChild(F body)
{
    pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    int status = -1;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

// Runs play with stdout on a pipe, or on a terminal when terminal is true,
// and waits for the device to be opened or given up; returns what was written there.
template <typename F>
std::string playCapturingStdout(F play, bool terminal = false)
{
    int p[2];
    if (terminal) {
        if (openpty(&p[0], &p[1], nullptr, nullptr, nullptr) != 0)
            return "openpty failed";
        struct termios raw;
        tcgetattr(p[1], &raw);
        cfmakeraw(&raw);
        tcsetattr(p[1], TCSANOW, &raw);
    } else if (pipe(p) != 0) {
        return "pipe failed";
    }
    int saved = dup(STDOUT_FILENO);
    dup2(p[1], STDOUT_FILENO);
    close(p[1]);
    play();
    chime_close();
    dup2(saved, STDOUT_FILENO);
    close(saved);
    fcntl(p[0], F_SETFL, O_NONBLOCK);
    char buf[16];
    ssize_t n = read(p[0], buf, sizeof buf);
    close(p[0]);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

TEST(Chime, SilentModeOnlyCounts)
{
    EXPECT_EQ(inChild([] {
                  configureChime(ChimeSettings{true});
                  int before = chime_count();
                  std::string written = playCapturingStdout(chime_play);
                  chime_play();
                  return (chime_count() == before + 2 && written.empty()) ? 0 : 1;
              }),
              0);
}

// Only a terminal gets the bell: redirected output stays the program's text.
TEST(Chime, WithoutAnAudioDeviceTheTerminalBellRings)
{
    EXPECT_EQ(inChild([] {
                  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
                  std::string first = playCapturingStdout(chime_play, true);
                  std::string second = playCapturingStdout(chime_play, true);
                  std::string redirected = playCapturingStdout(chime_play);
                  return (first == "\a" && second == "\a" && redirected.empty() && chime_count() == 3) ? 0
                                                                                                       : 1;
              }),
              0);
}

TEST(Chime, SoundLibraryStaysQuietWhenNoCardAnswers)
{
    EXPECT_EQ(inChild([] {
                  setenv("SDL_AUDIODRIVER", "alsa", 1);
                  // A card number no machine has: the open fails inside libasound.
                  setenv("AUDIODEV", "hw:31,0", 1);
                  setenv("ALSA_CARD", "31", 1);
                  int p[2];
                  if (pipe(p) != 0)
                      return 2;
                  int saved = dup(STDERR_FILENO);
                  dup2(p[1], STDERR_FILENO);
                  close(p[1]);
                  std::string bell = playCapturingStdout(chime_play, true);
                  dup2(saved, STDERR_FILENO);
                  close(saved);
                  fcntl(p[0], F_SETFL, O_NONBLOCK);
                  char buf[256];
                  ssize_t n = read(p[0], buf, sizeof buf);
                  close(p[0]);
                  if (n > 0)
                      std::fprintf(stderr, "stderr: %.*s\n", static_cast<int>(n), buf);
                  return (bell == "\a" && n <= 0) ? 0 : 1;
              }),
              0);
}

TEST(Chime, ToneIsQueuedWithoutWaiting)
{
    EXPECT_EQ(
        inChild([] {
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            auto t0 = std::chrono::steady_clock::now();
            std::string written = playCapturingStdout([] {
                for (int i = 0; i < 3; ++i)
                    chime_play();
            });
            auto spent = std::chrono::steady_clock::now() - t0;
            // Three tones of 240 ms each; returning well before proves nobody waited for them.
            return (written.empty() && chime_count() == 3 && spent < std::chrono::milliseconds(200)) ? 0 : 1;
        }),
        0);
}

// With no terminal on standard input nobody else handles Ctrl-C or SIGTERM;
// a chime that has brought up the audio device must leave both deadly.
TEST(Chime, StartedChimeLeavesInterruptAndTerminateDeadly)
{
    for (int sig : {SIGINT, SIGTERM}) {
        EXPECT_EQ(signalThatEndedChild([sig] {
                      setenv("SDL_AUDIODRIVER", "dummy", 1);
                      chime_play();
                      for (int i = 0; i < 200 && !SDL_WasInit(SDL_INIT_AUDIO); ++i)
                          std::this_thread::sleep_for(std::chrono::milliseconds(10));
                      if (!SDL_WasInit(SDL_INIT_AUDIO))
                          return 2;
                      raise(sig);
                      std::this_thread::sleep_for(std::chrono::milliseconds(200));
                      return 1;
                  }),
                  sig);
    }
}

// exit() while the device is still being opened (Escape in the window right
// after a refresh) ends the program with its status, not an abort.
TEST(Chime, ExitWhileTheDeviceOpensKeepsItsStatus)
{
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        chime_play();
        std::exit(7);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 7);
}
