#include "tests/common/httpserver.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace kaltest {

HttpServer::HttpServer() {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    int size = sizeof addr;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &size);
    port_ = ntohs(addr.sin_port);
    ::listen(s, 16);
    socket_ = s;
    thread_ = std::thread([this] { Serve(); });
}

HttpServer::~HttpServer() {
    stop_ = true;
    ::closesocket(static_cast<SOCKET>(socket_));
    if (thread_.joinable()) thread_.join();
    ::WSACleanup();
}

std::wstring HttpServer::Address() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }

void HttpServer::Set(const std::string& target, int status, const std::string& body) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_[target] = {status, body};
}

void HttpServer::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.clear();
    requests_.clear();
}

std::vector<std::string> HttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void HttpServer::Serve() {
    for (;;) {
        SOCKET client = ::accept(static_cast<SOCKET>(socket_), nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            if (stop_) return;
            continue;
        }
        ++connections_;
        std::string request;
        char buffer[2048];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            request.append(buffer, static_cast<std::size_t>(n));
        }
        // A connection without a request is a reachability probe.
        if (!request.empty()) {
            const std::size_t start = request.find(' ') + 1;
            const std::string target = request.substr(start, request.find(' ', start) - start);
            Answer answer{404, "not found"};
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(target);
                if (auto it = answers_.find(target); it != answers_.end()) answer = it->second;
            }
            const std::string head = "HTTP/1.1 " + std::to_string(answer.status) + " Scripted\r\nContent-Length: " +
                                     std::to_string(answer.body.size()) +
                                     "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
            const std::string whole = head + answer.body;
            for (std::size_t sent = 0; sent < whole.size();) {
                const int n = ::send(client, whole.data() + sent, static_cast<int>(whole.size() - sent), 0);
                if (n <= 0) break;
                sent += static_cast<std::size_t>(n);
            }
        }
        ::shutdown(client, SD_BOTH);
        ::closesocket(client);
    }
}

}  // namespace kaltest
