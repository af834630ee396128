#include "tests/e2e/page_probe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

// One connection to 127.0.0.1, closed with the object; every read waits 10 s at most.
class Socket
{
public:
    explicit Socket(int port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval wait {10, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool ok() const { return m_fd >= 0; }
    bool send(const std::string& bytes)
    {
        size_t sent = 0;
        while (ok() && sent < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += static_cast<size_t>(n);
        }
        return ok();
    }
    // Exactly `count` bytes, or nothing.
    std::optional<std::string> read(size_t count)
    {
        std::string bytes;
        while (ok() && bytes.size() < count) {
            char buffer[65536];
            const ssize_t n = ::recv(m_fd, buffer, std::min(sizeof buffer, count - bytes.size()), 0);
            if (n <= 0)
                return std::nullopt;
            bytes.append(buffer, static_cast<size_t>(n));
        }
        return ok() ? std::optional(bytes) : std::nullopt;
    }
    // Up to and with the blank line that ends an HTTP head.
    std::optional<std::string> readHead()
    {
        std::string head;
        while (!head.ends_with("\r\n\r\n")) {
            const auto byte = read(1);
            if (!byte || head.size() > 65536)
                return std::nullopt;
            head += *byte;
        }
        return head;
    }

private:
    int m_fd = -1;
};

// A client's text frame: masked, as the protocol requires of clients.
std::string textFrame(const std::string& payload)
{
    std::string frame(1, '\x81');
    const size_t n = payload.size();
    if (n < 126) {
        frame += static_cast<char>(0x80 | n);
    } else if (n < 65536) {
        frame += static_cast<char>(0x80 | 126);
        frame += static_cast<char>(n >> 8);
        frame += static_cast<char>(n & 0xff);
    } else {
        frame += static_cast<char>(0x80 | 127);
        for (int shift = 56; shift >= 0; shift -= 8)
            frame += static_cast<char>((n >> shift) & 0xff);
    }
    const char mask[4] = {0x12, 0x34, 0x56, 0x78};
    frame.append(mask, 4);
    for (size_t i = 0; i < n; ++i)
        frame += static_cast<char>(payload[i] ^ mask[i % 4]);
    return frame;
}

// The next whole message from the server (frames joined), or nothing.
std::optional<std::string> readMessage(Socket& socket)
{
    std::string message;
    for (;;) {
        const auto head = socket.read(2);
        if (!head)
            return std::nullopt;
        const auto b0 = static_cast<unsigned char>((*head)[0]);
        uint64_t length = static_cast<unsigned char>((*head)[1]) & 0x7f;
        if (length >= 126) {
            const auto extended = socket.read(length == 126 ? 2 : 8);
            if (!extended)
                return std::nullopt;
            length = 0;
            for (const char c : *extended)
                length = (length << 8) | static_cast<unsigned char>(c);
        }
        const auto payload = socket.read(static_cast<size_t>(length));
        if (!payload)
            return std::nullopt;
        const int opcode = b0 & 0x0f;
        if (opcode == 8)
            return std::nullopt; // closed
        if (opcode == 0 || opcode == 1 || opcode == 2)
            message += *payload;
        if ((b0 & 0x80) && opcode != 9 && opcode != 10)
            return message;
    }
}

std::optional<std::string> httpGet(int port, const std::string& path)
{
    Socket socket(port);
    if (!socket.send("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"))
        return std::nullopt;
    const auto head = socket.readHead();
    if (!head || head->find(" 200") == std::string::npos)
        return std::nullopt;
    const size_t at = head->find("Content-Length:");
    if (at == std::string::npos)
        return std::nullopt;
    return socket.read(std::stoul(head->substr(at + 15)));
}

} // namespace

int PageProbe::freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

std::vector<PageProbe::Page> PageProbe::pages() const
{
    std::vector<Page> found;
    const auto body = httpGet(m_port, "/json/list");
    if (!body)
        return found;
    for (const QJsonValue& entry : QJsonDocument::fromJson(QByteArray::fromStdString(*body)).array()) {
        const QJsonObject page = entry.toObject();
        if (page.value("type").toString() == "page")
            found.push_back({page.value("id").toString().toStdString(), page.value("url").toString().toStdString()});
    }
    return found;
}

std::optional<PageProbe::Page> PageProbe::find(const std::string& part) const
{
    for (const Page& page : pages())
        if (page.url.find(part) != std::string::npos)
            return page;
    return std::nullopt;
}

std::optional<std::string> PageProbe::call(const Page& page, const std::string& method, const std::string& params) const
{
    Socket socket(m_port);
    const std::string upgrade = "GET /devtools/page/" + page.id
        + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
          "Sec-WebSocket-Key: cGFnZS1wcm9iZS1rZXkxMg==\r\nSec-WebSocket-Version: 13\r\n\r\n";
    if (!socket.send(upgrade))
        return std::nullopt;
    const auto head = socket.readHead();
    if (!head || head->find(" 101") == std::string::npos)
        return std::nullopt;
    static std::atomic<int> next {1};
    const int id = next++;
    if (!socket.send(
            textFrame(R"({"id":)" + std::to_string(id) + R"(,"method":")" + method + R"(","params":)" + params + "}")))
        return std::nullopt;
    // Events may come first; the answer carries our number.
    while (const auto message = readMessage(socket)) {
        const QJsonObject answer = QJsonDocument::fromJson(QByteArray::fromStdString(*message)).object();
        if (answer.value("id").toInt() != id)
            continue;
        if (answer.contains("error"))
            return std::nullopt;
        return QJsonDocument(answer.value("result").toObject()).toJson(QJsonDocument::Compact).toStdString();
    }
    return std::nullopt;
}

bool PageProbe::command(const Page& page, const std::string& method, const std::string& params) const
{
    return call(page, method, params).has_value();
}

std::optional<std::string> PageProbe::evaluate(const Page& page, const std::string& expression) const
{
    const QJsonObject params {{"expression", QString::fromStdString(expression)}, {"returnByValue", true},
        {"userGesture", true}, {"awaitPromise", true}};
    const auto result
        = call(page, "Runtime.evaluate", QJsonDocument(params).toJson(QJsonDocument::Compact).toStdString());
    if (!result)
        return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(*result)).object();
    if (object.contains("exceptionDetails"))
        return std::nullopt;
    const QJsonValue value = object.value("result").toObject().value("value");
    // Wrapped in an array so that plain values come out as JSON text too.
    const QByteArray text = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
    return text.mid(1, text.size() - 2).toStdString();
}
