// A small HTTP server on 127.0.0.1 for the tests: answers each request from a table of scripted
// answers (404 for anything else) and counts the connections it accepted.
#pragma once
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kaltest {

class HttpServer {
public:
    struct Answer {
        int status = 200;
        std::string body;
    };

    HttpServer();  // listens on a free port of 127.0.0.1
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // "http://127.0.0.1:<port>"
    std::wstring Address() const;
    // The answer to a request whose path and query are `target` (as "/kalvenor/version").
    void Set(const std::string& target, int status, const std::string& body);
    void Set(const std::string& target, const std::string& body) { Set(target, 200, body); }
    void Clear();
    int Connections() const { return connections_; }
    // The request targets in the order they came.
    std::vector<std::string> Requests() const;

private:
    void Serve();

    std::uintptr_t socket_;
    unsigned short port_ = 0;
    std::atomic<int> connections_{0};
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::map<std::string, Answer> answers_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace kaltest
