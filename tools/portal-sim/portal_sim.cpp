#include "tools/portal-sim/portal_sim.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string contentTypeFor(const fs::path& file)
{
    const std::string ext = file.extension().string();
    if (ext == ".html" || ext == ".htm" || ext.empty())
        return "text/html";
    if (ext == ".txt")
        return "text/plain"; // no charset: the control files are GBK, as the real servers send them
    if (ext == ".xml")
        return "text/xml";
    if (ext == ".css")
        return "text/css";
    if (ext == ".js")
        return "application/javascript";
    if (ext == ".gif")
        return "image/gif";
    if (ext == ".png")
        return "image/png";
    if (ext == ".jpg" || ext == ".jpeg")
        return "image/jpeg";
    if (ext == ".webm")
        return "video/webm";
    return "application/octet-stream";
}

// The file a request path names under the root, or nothing. "/box" also finds "box.html",
// a folder its "index.html". Paths that would climb out of the root find nothing.
std::optional<fs::path> resolve(const std::string& root, const std::string& urlPath)
{
    fs::path relative;
    std::stringstream parts(urlPath);
    std::string part;
    while (std::getline(parts, part, '/')) {
        if (part.empty() || part == ".")
            continue;
        if (part == ".." || part.find('\\') != std::string::npos)
            return std::nullopt;
        relative /= part;
    }
    fs::path file = fs::path(root) / relative;
    std::error_code ec;
    if (fs::is_directory(file, ec))
        file /= "index.html";
    if (fs::is_regular_file(file, ec))
        return file;
    fs::path withHtml = file;
    withHtml += ".html";
    if (fs::is_regular_file(withHtml, ec))
        return withHtml;
    return std::nullopt;
}

// Read in one piece: a byte at a time the server spent milliseconds on every large file.
std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::string errorPage(int status, const std::string& reason, const std::string& path)
{
    return "<!DOCTYPE html>\n<html><head><title>" + std::to_string(status) + " " + reason
        + "</title></head>\n<body><h1>" + reason + "</h1><p>The requested URL " + path
        + " was not found on this server.</p></body></html>\n";
}

} // namespace

struct PortalSim::State
{
    explicit State(std::string siteRoot)
        : root(std::move(siteRoot))
    { }
    void installRoutes();
    void handle(const httplib::Request& req, httplib::Response& res);

    std::string root;
    httplib::Server server;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::map<std::string, Rule> rules;
    std::vector<std::string> requests;
};

namespace {

// One detached thread per connection, each holding the server state alive until its
// connection ends.
class DetachedTasks final : public httplib::TaskQueue
{
public:
    explicit DetachedTasks(std::weak_ptr<PortalSim::State> state)
        : m_state(std::move(state))
    { }
    void enqueue(std::function<void()> task) override
    {
        std::thread([keep = m_state.lock(), task = std::move(task)] { task(); }).detach();
    }
    void shutdown() override { }

private:
    std::weak_ptr<PortalSim::State> m_state;
};

} // namespace

PortalSim::PortalSim(std::string root)
    : m_state(std::make_shared<State>(std::move(root)))
{
    m_state->installRoutes();
    std::weak_ptr<State> weak = m_state;
    m_state->server.new_task_queue = [weak] { return new DetachedTasks(weak); };
}

PortalSim::~PortalSim()
{
    stop();
}

bool PortalSim::parseRule(const std::string& text, Rule& rule)
{
    const size_t eq = text.find('=');
    const std::string name = text.substr(0, eq);
    int value = 0;
    if (eq != std::string::npos) {
        try {
            value = std::stoi(text.substr(eq + 1));
        } catch (...) {
            return false;
        }
    }
    if (name == "normal")
        rule = {Rule::Kind::Normal, 0};
    else if (name == "delay" && eq != std::string::npos)
        rule = {Rule::Kind::Delay, value};
    else if (name == "hang")
        rule = {Rule::Kind::Hang, 0};
    else if (name == "truncate" && eq != std::string::npos)
        rule = {Rule::Kind::Truncate, value};
    else if (name == "status" && eq != std::string::npos)
        rule = {Rule::Kind::Status, value};
    else if (name == "nolength")
        rule = {Rule::Kind::NoLength, 0};
    else if (name == "endless")
        rule = {Rule::Kind::Endless, 0};
    else if (name == "stall" && eq != std::string::npos)
        rule = {Rule::Kind::Stall, value};
    else
        return false;
    return true;
}

void PortalSim::setRule(const std::string& path, Rule rule)
{
    std::lock_guard lock(m_state->mutex);
    m_state->rules[path] = rule;
    m_state->wake.notify_all();
}

void PortalSim::clearRules()
{
    std::lock_guard lock(m_state->mutex);
    m_state->rules.clear();
    m_state->wake.notify_all();
}

std::vector<std::string> PortalSim::requests() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->requests;
}

void PortalSim::clearRequests()
{
    std::lock_guard lock(m_state->mutex);
    m_state->requests.clear();
}

void PortalSim::State::installRoutes()
{
    // Test control: /__sim/rule?path=/x&rule=hang, /__sim/clear, /__sim/requests.
    server.Get("/__sim/rule", [this](const httplib::Request& req, httplib::Response& res) {
        Rule rule;
        if (!req.has_param("path") || !parseRule(req.get_param_value("rule"), rule)) {
            res.status = 400;
            res.set_content("bad rule\n", "text/plain");
            return;
        }
        {
            std::lock_guard lock(mutex);
            rules[req.get_param_value("path")] = rule;
            wake.notify_all();
        }
        res.set_content("ok\n", "text/plain");
    });
    server.Get("/__sim/clear", [this](const httplib::Request&, httplib::Response& res) {
        std::lock_guard lock(mutex);
        rules.clear();
        requests.clear();
        wake.notify_all();
        res.set_content("ok\n", "text/plain");
    });
    server.Get("/__sim/requests", [this](const httplib::Request&, httplib::Response& res) {
        std::string out;
        std::lock_guard lock(mutex);
        for (const std::string& line : requests)
            out += line + "\n";
        res.set_content(out, "text/plain");
    });

    server.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        Rule rule;
        {
            std::unique_lock lock(mutex);
            requests.push_back(req.method + " " + req.path
                + (req.has_header("Range") ? " Range: " + req.get_header_value("Range") : std::string()));
            if (const auto found = rules.find(req.path); found != rules.end())
                rule = found->second;
            if (rule.kind == Rule::Kind::Hang) {
                // Never answer: hold the connection until the rule goes or the server stops.
                wake.wait(lock, [&] {
                    const auto again = rules.find(req.path);
                    return stopping || again == rules.end() || again->second.kind != Rule::Kind::Hang;
                });
                res.status = 503;
                return;
            }
            if (rule.kind == Rule::Kind::Delay)
                wake.wait_for(lock, std::chrono::milliseconds(rule.value), [&] { return stopping; });
        }

        const auto file = resolve(root, req.path);
        if (!file) {
            res.status = 404;
            res.set_content(errorPage(404, "Not Found", req.path), "text/html");
            return;
        }
        const std::string type = contentTypeFor(*file);
        if (rule.kind == Rule::Kind::Endless && req.method == "GET") {
            // The file's bytes, then more of them, for as long as the client reads.
            auto body = std::make_shared<std::string>(readFile(*file));
            if (body->empty())
                *body = " ";
            res.set_chunked_content_provider(type, [this, body](size_t, httplib::DataSink& sink) {
                {
                    std::lock_guard lock(mutex);
                    if (stopping)
                        return false;
                }
                std::string piece;
                while (piece.size() < 65536)
                    piece += *body;
                return sink.write(piece.data(), piece.size());
            });
            return;
        }
        if (rule.kind == Rule::Kind::Normal || rule.kind == Rule::Kind::Delay || rule.kind == Rule::Kind::Endless) {
            // The file is read only when a body is sent: a HEAD request costs a look at its size.
            std::error_code error;
            const auto size = fs::file_size(*file, error);
            auto loaded = std::make_shared<std::string>();
            res.set_content_provider(
                error ? 0 : size, type, [path = *file, loaded](size_t offset, size_t length, httplib::DataSink& sink) {
                    if (loaded->empty())
                        *loaded = readFile(path);
                    if (offset >= loaded->size())
                        return false;
                    sink.write(loaded->data() + offset, std::min(length, loaded->size() - offset));
                    return true;
                });
            return;
        }
        auto body = std::make_shared<std::string>(readFile(*file));
        if (rule.kind == Rule::Kind::Status) {
            res.status = rule.value;
            res.set_content(*body, type);
        } else if (rule.kind == Rule::Kind::Truncate) {
            // Announce the whole length, send only the first bytes, then drop the connection.
            const size_t cut = std::min(body->size(), static_cast<size_t>(std::max(0, rule.value)));
            res.set_content_provider(body->size(), type, [body, cut](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset < cut)
                    sink.write(body->data() + offset, cut - offset);
                return false;
            });
        } else if (rule.kind == Rule::Kind::Stall) {
            // The first bytes, then silence until the rule goes; then the connection drops.
            const size_t cut = std::min(body->size(), static_cast<size_t>(std::max(0, rule.value)));
            res.set_content_provider(
                body->size(), type, [this, body, cut, path = req.path](size_t offset, size_t, httplib::DataSink& sink) {
                    if (offset < cut) {
                        sink.write(body->data() + offset, cut - offset);
                        return true;
                    }
                    std::unique_lock lock(mutex);
                    wake.wait(lock, [&] {
                        const auto again = rules.find(path);
                        return stopping || again == rules.end() || again->second.kind != Rule::Kind::Stall;
                    });
                    return false;
                });
        } else if (rule.kind == Rule::Kind::NoLength) {
            res.set_chunked_content_provider(type, [body](size_t offset, httplib::DataSink& sink) {
                if (offset < body->size())
                    sink.write(body->data() + offset, std::min<size_t>(4096, body->size() - offset));
                else
                    sink.done();
                return true;
            });
        } else {
            res.set_content_provider(body->size(), type, [body](size_t offset, size_t length, httplib::DataSink& sink) {
                sink.write(body->data() + offset, std::min(length, body->size() - offset));
                return true;
            });
        }
    });
}

bool PortalSim::start(int port)
{
    httplib::Server& server = m_state->server;
    const int bound = port == 0 ? server.bind_to_any_port("127.0.0.1") : port;
    if (port != 0 && !server.bind_to_port("127.0.0.1", port))
        return false;
    if (bound < 0)
        return false;
    m_port = bound;
    m_thread = std::thread([state = m_state] { state->server.listen_after_bind(); });
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

bool PortalSim::listenBlocking(int port, const std::function<void(int)>& onListening)
{
    httplib::Server& server = m_state->server;
    const int bound = port == 0 ? server.bind_to_any_port("127.0.0.1") : port;
    if (port != 0 && !server.bind_to_port("127.0.0.1", port))
        return false;
    if (bound < 0)
        return false;
    m_port = bound;
    onListening(m_port);
    return server.listen_after_bind();
}

void PortalSim::stop()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
        m_state->wake.notify_all();
    }
    m_state->server.stop();
    if (m_thread.joinable())
        m_thread.join();
}
