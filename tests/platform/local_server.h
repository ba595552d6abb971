#pragma once
// Test helper: the one local server of the tests, on an ephemeral 127.0.0.1
// port: cpp-httplib over plain HTTP, over HTTPS with a self-signed certificate
// made for the test, or a listener that never answers.

#include <httplib.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

// A server thread; routes are added through http() before start().
class LocalServer {
public:
    enum Kind {
        Plain,   // HTTP
        Tls,     // HTTPS with a fresh certificate for 127.0.0.1 (see caFile())
        Silent,  // accepts connections into its backlog, never reads or answers them
    };
    explicit LocalServer(Kind kind);
    // Stops serving, joins the thread, closes the port, removes the certificate files.
    ~LocalServer();
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    // The server, for adding routes (unused by a Silent one).
    httplib::Server& http() { return *server_; }
    // Binds to 127.0.0.1 on a free port and starts serving; false when that failed.
    bool start();
    // "http://127.0.0.1:PORT" or "https://127.0.0.1:PORT".
    std::string root() const;
    // PEM file of the certificate clients must trust; empty for plain HTTP.
    const std::string& caFile() const { return certFile_; }

private:
    bool startSilent();

    Kind kind_;
    std::string dir_;
    std::string certFile_;
    std::string keyFile_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::atomic<bool> finished_{false};  // the accept loop has returned
    int silentFd_ = -1;
    int port_ = -1;
};
