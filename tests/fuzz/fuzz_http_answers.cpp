// Answers of an HTTP server, sent as they are by a server on 127.0.0.1 to the transfer
// client: whatever the bytes, a status the client reports is the one a status line of the
// answer states ("HTTP/1.1 200 ..."), the header text begins with that line, and every
// kept header is one the answer carries. A first line "HTTP/" with anything but a version
// and a code after it gives no status at all.

#include "platform/http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

namespace {

struct Listener
{
    int socket = -1;
    int port = 0;
    Listener()
    {
        socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(socket, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(socket, 4) != 0)
            std::abort();
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
};

// One connection: the request is read up to its end, the answer sent, the connection closed.
void answerOnce(int listener, std::string_view answer)
{
    const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0)
        return;
    std::string request;
    char buffer[2048];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::read(client, buffer, sizeof buffer);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    for (std::size_t sent = 0; sent < answer.size();) {
        const ssize_t n = ::send(client, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    ::shutdown(client, SHUT_RDWR);
    ::close(client);
}

bool isCode(std::string_view text, long status)
{
    const std::string code = std::to_string(status);
    return text.starts_with(code) && (text.size() == code.size() || text[code.size()] < '0' || text[code.size()] > '9');
}

// "HTTP/1.1 200 OK": a known version, blanks, the three digits of `status`.
bool statesStatus(std::string_view line, long status)
{
    for (const std::string_view version : {"HTTP/1.0 ", "HTTP/1.1 ", "HTTP/2 ", "HTTP/2.0 ", "HTTP/3 "})
        if (line.starts_with(version)) {
            line.remove_prefix(version.size());
            while (line.starts_with(' '))
                line.remove_prefix(1);
            return status >= 100 && status <= 999 && isCode(line, status);
        }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Listener listener;
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    std::thread server(answerOnce, listener.socket, answer);
    platform::HttpRequest request;
    request.url = "http://127.0.0.1:" + std::to_string(listener.port) + "/f";
    request.method = size % 2 ? "HEAD" : "GET";
    request.timeoutMs = 3000;
    const platform::HttpResponse response = platform::performHttp(request);
    server.join();

    if (response.status == 0) {
        if (!response.headers.empty() || !response.headerText.empty())
            std::abort();
        return 0;
    }
    const std::string_view text = response.headerText;
    const std::string_view statusLine = text.substr(0, text.find("\r\n"));
    // The line stands at the start of a line of the answer.
    const std::size_t at = answer.find(statusLine);
    if (!statesStatus(statusLine, response.status) || at == std::string_view::npos
        || (at != 0 && answer[at - 1] != '\n'))
        std::abort();
    // A first line of "HTTP/" and garbage never makes a response.
    const std::string_view firstLine = answer.substr(0, answer.find_first_of("\r\n"));
    bool knownVersion = false;
    for (const std::string_view version : {"HTTP/1.0", "HTTP/1.1", "HTTP/2", "HTTP/3"})
        knownVersion = knownVersion || firstLine.starts_with(version);
    if (!knownVersion)
        std::abort();
    for (const auto& header : response.headers)
        if (answer.find(header.first) == std::string_view::npos)
            std::abort();
    return 0;
}
