#include "platform/speech_child.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// This process's environment without the API consumer key: the engine and
// the player have no use for it, and whatever a child keeps of its
// environment (a crash report, /proc/PID/environ) must not show it.
std::vector<char*> childEnvironment()
{
    static const char keyVariable[] = "LINEWATCH_CONSUMER_KEY=";
    std::vector<char*> env;
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (std::strncmp(*entry, keyVariable, sizeof keyVariable - 1) != 0)
            env.push_back(*entry);
    env.push_back(nullptr);
    return env;
}

}  // namespace

std::string speech_find_program(const char* name)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return "";
    std::string dirs(path);
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        // An empty PATH entry means the current directory, which we never trust.
        if (!dir.empty()) {
            std::string full = dir + "/" + name;
            struct stat st;
            if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(full.c_str(), X_OK) == 0)
                return full;
        }
        start = end + 1;
    }
    return "";
}

bool speech_run_child(const std::vector<std::string>& argv, const char* stdin_path, int time_limit_ms,
                      const std::atomic<bool>& cancel)
{
    if (argv.empty())
        return false;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, stdin_path ? stdin_path : "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    std::vector<char*> env = childEnvironment();
    int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return false;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(time_limit_ms);
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (done < 0 && errno != EINTR)
            return false;
        if (cancel.load() || std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
