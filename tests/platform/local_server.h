#pragma once
// Test helper: a cpp-httplib server on an ephemeral 127.0.0.1 port, plain or
// HTTPS with a self-signed certificate made for the test, and a listener
// that never answers.

#include <httplib.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

// A server thread; routes are added through http() before start().
class LocalServer {
public:
    // tls: serve HTTPS with a fresh certificate for 127.0.0.1 (see caFile()).
    explicit LocalServer(bool tls);
    // Stops serving, joins the thread, removes the certificate files.
    ~LocalServer();
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    // The server, for adding routes.
    httplib::Server& http() { return *server_; }
    // Binds to 127.0.0.1 on a free port and starts serving; false when binding failed.
    bool start();
    // "http://127.0.0.1:PORT" or "https://127.0.0.1:PORT".
    std::string root() const;
    // PEM file of the certificate clients must trust; empty for plain HTTP.
    const std::string& caFile() const { return certFile_; }

private:
    std::string dir_;
    std::string certFile_;
    std::string keyFile_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::atomic<bool> finished_{false};  // the accept loop has returned
    int port_ = -1;
};

// A socket on 127.0.0.1 that accepts connections into its backlog and never
// reads or answers them; closed on destruction.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    // "http://127.0.0.1:PORT", or empty when no socket could be opened.
    std::string root() const;

private:
    int fd_ = -1;
    int port_ = -1;
};
