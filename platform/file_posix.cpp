// Saving and reading whole files with POSIX calls.
//
// Sections: names and errors · leftovers of killed saves · writing ·
// saving · reading.
#include "platform/file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <system_error>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

// ---- names and errors ----

// As many links as the system itself follows before it gives up with ELOOP.
constexpr int kMaxSymlinkHops = 40;
// Letters of a temporary name that no one can guess.
constexpr std::size_t kRandomLetters = 12;
constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr char kTemporarySuffix[] = ".tmp";
constexpr char kNotRegular[] = "not a regular file";

std::string errorText(int error)
{
    return std::generic_category().message(error);
}

FileSave savedResult()
{
    FileSave result;
    result.saved = true;
    return result;
}

FileSave failed(std::string reason)
{
    FileSave result;
    result.reason = std::move(reason);
    return result;
}

// The folder part of path with its slash, or "" for a bare name.
std::string folderOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symlinks from path to the file they finally name, which need not
// exist yet (a dangling link names the file to create).
bool resolveTarget(const std::string& path, std::string& target, std::string& reason)
{
    target = path;
    std::vector<char> link(PATH_MAX);
    for (int hop = 0; hop < kMaxSymlinkHops; ++hop) {
        // The links under /proc (/dev/stdout leads there) name open files,
        // not paths; they are left for the system to follow.
        if (target.rfind("/proc/", 0) == 0)
            return true;
        struct stat st;
        if (lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        ssize_t n = readlink(target.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<std::size_t>(n) >= link.size()) {
            reason = errorText(n < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        std::string next(link.data(), static_cast<std::size_t>(n));
        // A relative link is relative to the folder that holds the link.
        target = !next.empty() && next[0] == '/' ? next : folderOf(target) + next;
    }
    reason = errorText(ELOOP);
    return false;
}

// Temporary files are named ".NAME.PID.RANDOM.tmp"; earlier versions used
// ".NAME.PID.tmp". Gives the PID of such a name for file NAME, or 0.
long temporaryOwner(const char* entry, const std::string& name)
{
    const std::string prefix = "." + name + ".";
    if (std::strncmp(entry, prefix.c_str(), prefix.size()) != 0)
        return 0;
    const char* p = entry + prefix.size();
    char* end = nullptr;
    errno = 0;
    long pid = std::strtol(p, &end, 10);
    if (end == p || *p < '1' || *p > '9' || errno == ERANGE || pid > INT_MAX)
        return 0;
    if (*end == '.' && std::strspn(end + 1, kLetters) == kRandomLetters)
        end += 1 + kRandomLetters;
    return std::strcmp(end, kTemporarySuffix) == 0 ? pid : 0;
}

std::string randomLetters()
{
    unsigned char bytes[kRandomLetters];
    if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        // Only an unseeded entropy pool gets here; the exclusive create still
        // keeps a planted file from being used.
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        unsigned long mix =
            static_cast<unsigned long>(now.tv_nsec) ^ (static_cast<unsigned long>(getpid()) << 20);
        for (unsigned char& b : bytes) {
            mix = mix * 6364136223846793005UL + 1442695040888963407UL;
            b = static_cast<unsigned char>(mix >> 33);
        }
    }
    std::string letters;
    for (unsigned char b : bytes)
        letters.push_back(kLetters[b % (sizeof kLetters - 1)]);
    return letters;
}

// ---- leftovers of killed saves ----

// Removes the temporary files of earlier saves of NAME in folder whose
// process is gone: only regular files of this user; a symlink planted under
// such a name is never followed (unlinking removes the link itself).
void removeLeftovers(const std::string& folder, const std::string& name)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return;
    while (dirent* entry = readdir(dir)) {
        long pid = temporaryOwner(entry->d_name, name);
        if (pid == 0)
            continue;
        const bool gone = pid == getpid() || (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
        struct stat st;
        if (gone && fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == geteuid())
            unlinkat(dirfd(dir), entry->d_name, 0);
    }
    closedir(dir);
}

// ---- writing ----

bool writeAll(int fd, const std::string& bytes, off_t offset, bool positioned)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = positioned ? pwrite(fd, bytes.data() + done, bytes.size() - done,
                                        offset + static_cast<off_t>(done))
                               : write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// While it lives, a reader that goes away makes a write on this thread fail
// with EPIPE instead of ending the program with SIGPIPE.
class PipeSignalHeld {
public:
    PipeSignalHeld()
    {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        alreadyPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &saved_);
    }
    ~PipeSignalHeld()
    {
        // Takes back only the signal our own write raised.
        int error = errno;
        const timespec none{};
        if (!alreadyPending_)
            while (sigtimedwait(&pipe_, nullptr, &none) == SIGPIPE) {}
        pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
        errno = error;
    }
    PipeSignalHeld(const PipeSignalHeld&) = delete;
    PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

private:
    sigset_t pipe_;
    sigset_t saved_;
    bool alreadyPending_ = false;
};

// Creates a new file beside target under a name no other process can have
// chosen; a name that exists already (a planted symlink too) is never opened.
int createTemporary(const std::string& folder, const std::string& name, std::string& temporary)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary =
            folder + "." + name + "." + std::to_string(getpid()) + "." + randomLetters() + kTemporarySuffix;
        int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Gives the new file the owner and mode of the one it replaces; false when
// the owner cannot be kept (only root may give a file away).
bool keepOwnerAndMode(int fd, const struct stat& old)
{
    if ((old.st_uid != geteuid() || old.st_gid != getegid()) && fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    return fchmod(fd, old.st_mode & 07777) == 0;
}

// A failed write of a regular file must not leave it cut short: its room is
// reserved before the first byte changes. A pipe or device is just written.
FileSave rewriteInPlace(const std::string& target, const std::string& bytes)
{
    int fd = open(target.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int error = errno;
        struct stat st;
        // Only a pipe says ENXIO for a missing reader; a device means what it says.
        if (error == ENXIO && stat(target.c_str(), &st) == 0 && S_ISFIFO(st.st_mode))
            return failed("no program is reading from the pipe");
        return failed(errorText(error));
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        int error = errno;
        close(fd);
        return failed(errorText(error));
    }
    if (!S_ISREG(st.st_mode)) {
        bool written;
        {
            PipeSignalHeld held;
            written = writeAll(fd, bytes, 0, false);
        }
        int error = errno;
        close(fd);
        return written ? savedResult() : failed(errorText(error));
    }
    if (!bytes.empty()) {
        int error = posix_fallocate(fd, 0, static_cast<off_t>(bytes.size()));
        // A file system that cannot reserve room is written all the same;
        // only the answer that there is no room stops the save.
        if (error == ENOSPC || error == EFBIG || error == EDQUOT) {
            close(fd);
            return failed(errorText(error));
        }
    }
    bool written = writeAll(fd, bytes, 0, true) && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
                   fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written)
        return failed(errorText(error) + "; the file may be incomplete");
    return savedResult();
}

FileSave rewriteInPlaceBecause(const std::string& target, const std::string& bytes, std::string why)
{
    FileSave result = rewriteInPlace(target, bytes);
    if (result.saved) {
        result.rewrittenInPlace = true;
        result.reason = std::move(why);
    }
    return result;
}

// A rename is durable only once the folder's entry is on disk too.
void syncFolder(const std::string& folder)
{
    int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

// ---- saving ----

FileSave saveFileAtomically(const char* path, const std::string& bytes)
{
    // What the system reaches through path decides first: a pipe or device
    // (/dev/stdout too) is written where it is.
    struct stat reached;
    const bool reachable = stat(path, &reached) == 0;
    if (!reachable && errno != ENOENT)
        return failed(errorText(errno));
    if (reachable && S_ISDIR(reached.st_mode))
        return failed(errorText(EISDIR));
    if (reachable && !S_ISREG(reached.st_mode))
        return rewriteInPlace(path, bytes);

    std::string target;
    std::string reason;
    if (!resolveTarget(path, target, reason))
        return failed(reason);
    struct stat old;
    const bool exists = lstat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return failed(errorText(errno));
    // A link that only the system can follow (/proc/self/fd/N names no
    // path), or a file swapped meanwhile: write what path reaches.
    if (exists != reachable || (exists && (old.st_dev != reached.st_dev || old.st_ino != reached.st_ino)))
        return rewriteInPlace(path, bytes);

    const std::string folder = folderOf(target);
    const std::string name = nameOf(target);
    removeLeftovers(folder, name);
    if (exists && old.st_nlink > 1)
        return rewriteInPlaceBecause(target, bytes, "it has " + std::to_string(old.st_nlink) + " hard links");

    std::string temporary;
    int fd = createTemporary(folder, name, temporary);
    if (fd < 0) {
        int error = errno;
        const bool folderRefuses =
            error == EACCES || error == EPERM || error == EROFS || error == ENAMETOOLONG;
        if (exists && folderRefuses)
            return rewriteInPlaceBecause(target, bytes,
                                         "no new file can be made beside it: " + errorText(error));
        return failed(errorText(error));
    }
    if (exists && !keepOwnerAndMode(fd, old)) {
        close(fd);
        unlink(temporary.c_str());
        return rewriteInPlaceBecause(target, bytes, "its owner could not be kept otherwise");
    }
    bool written = writeAll(fd, bytes, 0, false) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && rename(temporary.c_str(), target.c_str()) == 0) {
        syncFolder(folder);
        return savedResult();
    }
    if (written)
        error = errno;
    unlink(temporary.c_str());
    // A file mounted on its own (a container's bind-mounted settings) can be
    // written but not replaced.
    if (written && (error == EBUSY || error == EXDEV))
        return rewriteInPlaceBecause(target, bytes, "it cannot be replaced: " + errorText(error));
    return failed(errorText(error));
}

// ---- reading ----

FileRead readRegularFile(const char* path, std::size_t maxBytes)
{
    FileRead result;
    result.status = FileRead::Refused;
    // Looked at before opening, so a pipe or device is never opened at all;
    // the check on the open file catches a swap in between.
    struct stat st;
    if (stat(path, &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            result.status = FileRead::Missing;
        result.reason = errorText(errno);
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.reason = kNotRegular;
        return result;
    }
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.reason = errorText(errno);
        return result;
    }
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        result.reason = kNotRegular;
        return result;
    }
    char chunk[4096];
    while (result.bytes.size() < maxBytes) {
        ssize_t n = read(fd, chunk, std::min(sizeof chunk, maxBytes - result.bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.reason = errorText(errno);
            result.bytes.clear();
            close(fd);
            return result;
        }
        if (n == 0)
            break;
        result.bytes.append(chunk, static_cast<std::size_t>(n));
    }
    close(fd);
    result.othersMayUse = (st.st_mode & (S_IRWXG | S_IRWXO)) != 0;
    result.status = FileRead::Read;
    return result;
}
