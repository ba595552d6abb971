// Sections: buffered stream / waiting room / server.
#include "sim/rig/intake.h"

#include <netdb.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "sim/rig/intake_check.h"

namespace {

using Clock = std::chrono::steady_clock;

// ---- buffered stream ----

// A connection whose request has been read whole by the intake: reads come
// from that copy, writes go to the socket and must end within the answer time.
class BufferedStream : public httplib::Stream {
public:
    BufferedStream(int fd, std::string request, int answerMs)
        : fd_(fd), request_(std::move(request)), answerMs_(answerMs)
    {
    }

    bool is_readable() const override { return read_ < request_.size(); }

    bool is_writable() const override
    {
        if (deadline_ == Clock::time_point())
            deadline_ = Clock::now() + std::chrono::milliseconds(answerMs_);
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd p{fd_, POLLOUT, 0};
        return poll(&p, 1, static_cast<int>(left)) == 1 && (p.revents & POLLOUT);
    }

    ssize_t read(char* ptr, size_t size) override
    {
        size_t n = std::min(size, request_.size() - read_);
        request_.copy(ptr, n, read_);
        read_ += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override
    {
        if (!is_writable())
            return -1;
        return send(fd_, ptr, size, MSG_DONTWAIT | MSG_NOSIGNAL);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override { address(getpeername, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { address(getsockname, ip, port); }
    socket_t socket() const override { return fd_; }

private:
    template <typename Query>
    void address(Query query, std::string& ip, int& port) const
    {
        sockaddr_storage a{};
        socklen_t size = sizeof a;
        if (query(fd_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return;
        char host[NI_MAXHOST];  // capacity of any numeric host
        char service[NI_MAXSERV];
        if (getnameinfo(reinterpret_cast<sockaddr*>(&a), size, host, sizeof host, service, sizeof service,
                        NI_NUMERICHOST | NI_NUMERICSERV) != 0)
            return;
        ip = host;
        port = std::atoi(service);
    }

    int fd_;
    std::string request_;
    size_t read_ = 0;
    int answerMs_;
    mutable Clock::time_point deadline_;
};

// ---- waiting room ----

// The reason phrase of a status the intake refuses with.
const char* refusalText(int status)
{
    switch (status) {
    case 408:
        return "Request Timeout";
    case 411:
        return "Length Required";
    case 413:
        return "Payload Too Large";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Bad Request";
    }
}

// Sends a short refusal without waiting and closes the connection.
void refuse(int fd, int status)
{
    const std::string text = std::string(refusalText(status)) + "\n";
    const std::string answer =
        "HTTP/1.1 " + std::to_string(status) + " " + refusalText(status) +
        "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(text.size()) +
        "\r\nConnection: close\r\n\r\n" + text;
    (void)!send(fd, answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    close(fd);
}

struct Waiting {
    int fd;
    Clock::time_point deadline;
    std::string bytes;
};

// The one thread that holds connections until their request is complete.
class WaitingRoom {
public:
    WaitingRoom(const RequestLimits& limits, std::function<void(int, std::string)> ready)
        : limits_(limits), ready_(std::move(ready)), wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
        if (wake_ < 0)
            throw std::system_error(errno, std::generic_category(), "eventfd");
        thread_ = std::thread([this] { run(); });
    }

    ~WaitingRoom()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        poke();
        thread_.join();
        for (Waiting& w : room_)
            close(w.fd);
        for (int fd : arrived_)
            close(fd);
        close(wake_);
    }

    void add(int fd)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            arrived_.push_back(fd);
        }
        poke();
    }

private:
    void poke()
    {
        std::uint64_t one = 1;
        (void)!::write(wake_, &one, sizeof one);
    }

    // Moves new connections in; the oldest leave when the room is full.
    bool admit()
    {
        // The wake-up is taken before the list: a connection added after
        // this leaves a wake-up behind, so poll cannot sleep on it.
        std::uint64_t count;
        (void)!::read(wake_, &count, sizeof count);
        std::vector<int> fresh;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_)
                return false;
            fresh.swap(arrived_);
        }
        for (int fd : fresh) {
            if (room_.size() >= limits_.waitingConnections) {
                close(room_.front().fd);
                room_.pop_front();
            }
            room_.push_back({fd, Clock::now() + std::chrono::milliseconds(limits_.requestMs), {}});
        }
        return true;
    }

    // Reads what has arrived; true when the connection has left the room.
    bool receive(Waiting& w)
    {
        char chunk[4096];
        const size_t capacity = limits_.headerBytes + limits_.bodyBytes;
        ssize_t n = recv(w.fd, chunk, std::min(sizeof chunk, capacity + 1 - w.bytes.size()), MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
            close(w.fd);
            return true;
        }
        if (n > 0)
            w.bytes.append(chunk, static_cast<size_t>(n));
        RequestCheck check = checkRequest(w.bytes, limits_.headerBytes, limits_.bodyBytes);
        if (check.refusal != 0) {
            refuse(w.fd, check.refusal);
            return true;
        }
        if (check.length == 0)
            return false;
        w.bytes.resize(check.length);  // a pipelined next request is not answered
        ready_(w.fd, std::move(w.bytes));
        return true;
    }

    void run()
    {
        std::vector<pollfd> polled;
        while (admit()) {
            const Clock::time_point now = Clock::now();
            auto timedOut = [&](const Waiting& w) {
                if (w.deadline > now)
                    return false;
                refuse(w.fd, 408);
                return true;
            };
            room_.erase(std::remove_if(room_.begin(), room_.end(), timedOut), room_.end());

            polled.assign(1, pollfd{wake_, POLLIN, 0});
            int waitMs = -1;
            for (const Waiting& w : room_) {
                polled.push_back(pollfd{w.fd, POLLIN, 0});
                auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(w.deadline - now).count() + 1;
                waitMs = waitMs < 0 ? static_cast<int>(left) : std::min(waitMs, static_cast<int>(left));
            }
            if (poll(polled.data(), polled.size(), waitMs) < 0 && errno != EINTR)
                break;
            std::deque<Waiting> staying;
            for (size_t i = 0; i < room_.size(); ++i) {
                const bool stirred = polled[i + 1].revents & (POLLIN | POLLHUP | POLLERR);
                if (!stirred || !receive(room_[i]))
                    staying.push_back(std::move(room_[i]));
            }
            room_.swap(staying);
        }
    }

    RequestLimits limits_;
    std::function<void(int, std::string)> ready_;
    int wake_;
    std::deque<Waiting> room_;  // oldest first; only the room's thread touches it
    std::mutex mutex_;          // guards the two below
    std::vector<int> arrived_;
    bool stopping_ = false;
    std::thread thread_;
};

// ---- server ----

// Runs a task on the accepting thread itself: handing a connection to the
// waiting room takes no time.
struct OnTheSpot : httplib::TaskQueue {
    void enqueue(std::function<void()> task) override { task(); }
    void shutdown() override {}
};

// The file descriptors a full waiting room may take: half of what the
// process may open, so that answers and the rest of the program keep theirs.
RequestLimits withinFileLimit(RequestLimits limits)
{
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY)
        limits.waitingConnections = std::clamp<std::size_t>(files.rlim_cur / 2, 1, limits.waitingConnections);
    return limits;
}

class IntakeServer : public httplib::Server {
public:
    IntakeServer(const RequestLimits& limits, int workers)
        : limits_(withinFileLimit(limits)), workers_(static_cast<size_t>(workers))
    {
        try {
            room_ = std::make_unique<WaitingRoom>(limits_, [this](int fd, std::string request) {
                workers_.enqueue(
                    [this, fd, request = std::move(request)]() mutable { answer(fd, std::move(request)); });
            });
        } catch (...) {
            workers_.shutdown();  // the pool's threads must be joined before it goes
            throw;
        }
        new_task_queue = [] { return new OnTheSpot; };
    }

    // The waiting room closes first so that no answer is queued after the
    // workers have finished theirs.
    ~IntakeServer() override
    {
        room_.reset();
        workers_.shutdown();
    }

private:
    bool process_and_close_socket(socket_t sock) override
    {
        room_->add(sock);
        return true;
    }

    void answer(int fd, std::string request)
    {
        BufferedStream stream(fd, std::move(request), limits_.answerMs);
        bool closed = false;
        process_request(stream, true, closed, nullptr);
        close(fd);
    }

    RequestLimits limits_;
    httplib::ThreadPool workers_;
    std::unique_ptr<WaitingRoom> room_;
};

}  // namespace

std::unique_ptr<httplib::Server> intakeServer(const RequestLimits& limits, int workers)
{
    return std::make_unique<IntakeServer>(limits, workers);
}
