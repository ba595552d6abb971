#include "tests/platform/local_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

bool addExtension(X509* cert, int nid, const char* value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (ext == nullptr)
        return false;
    const bool added = X509_add_ext(cert, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    return added;
}

// Writes a one-hour self-signed P-256 certificate for IP 127.0.0.1 and its key.
bool writeCertificate(const std::string& certFile, const std::string& keyFile)
{
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    bool ok = key != nullptr && cert != nullptr;
    if (ok) {
        X509_set_version(cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert), -60);
        X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
        X509_set_pubkey(cert, key);
        X509_NAME* name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
        X509_set_issuer_name(cert, name);
        ok = addExtension(cert, NID_subject_alt_name, "IP:127.0.0.1") &&
             addExtension(cert, NID_basic_constraints, "critical,CA:TRUE") &&
             X509_sign(cert, key, EVP_sha256()) > 0;
    }
    if (ok) {
        FILE* c = std::fopen(certFile.c_str(), "w");
        FILE* k = std::fopen(keyFile.c_str(), "w");
        ok = c != nullptr && k != nullptr && PEM_write_X509(c, cert) == 1 &&
             PEM_write_PrivateKey(k, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
        if (c != nullptr)
            std::fclose(c);
        if (k != nullptr)
            std::fclose(k);
    }
    X509_free(cert);
    EVP_PKEY_free(key);
    return ok;
}

}  // namespace

LocalServer::LocalServer(Kind kind) : kind_(kind)
{
    if (kind != Tls) {
        server_ = std::make_unique<httplib::Server>();
        return;
    }
    char pattern[] = "/tmp/linewatch-tls-XXXXXX";
    if (mkdtemp(pattern) != nullptr) {
        dir_ = pattern;
        certFile_ = dir_ + "/cert.pem";
        keyFile_ = dir_ + "/key.pem";
        if (!writeCertificate(certFile_, keyFile_))
            certFile_.clear();
    }
    if (!certFile_.empty())
        server_ = std::make_unique<httplib::SSLServer>(certFile_.c_str(), keyFile_.c_str());
    else
        server_ = std::make_unique<httplib::Server>();  // start() then fails the test
}

LocalServer::~LocalServer()
{
    if (thread_.joinable()) {
        // stop() is a no-op until the accept loop runs, so wait for it.
        while (!server_->is_running() && !finished_)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        server_->stop();
        thread_.join();
    }
    if (silentFd_ >= 0)
        close(silentFd_);
    if (!dir_.empty())
        std::filesystem::remove_all(dir_);
}

// A bound socket that listens and is never accepted from: connections
// complete in the kernel and then wait forever.
bool LocalServer::startSilent()
{
    silentFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (silentFd_ < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(silentFd_, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(silentFd_, 8) != 0 ||
        getsockname(silentFd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return false;
    port_ = ntohs(address.sin_port);
    return true;
}

bool LocalServer::start()
{
    if (kind_ == Silent)
        return startSilent();
    if (kind_ == Tls && certFile_.empty())
        return false;
    if (!server_->is_valid())
        return false;
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
        return false;
    thread_ = std::thread([this] {
        server_->listen_after_bind();
        finished_ = true;
    });
    return true;
}

std::string LocalServer::root() const
{
    return (kind_ == Tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_);
}
