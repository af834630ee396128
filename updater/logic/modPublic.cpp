#include "updater/logic/modPublic.h"

#include "common/logic/message_box.h"
#include "platform/contained_folder.h"
#include "platform/file_util.h"
#include "platform/program_folder.h"
#include "updater/logic/file_errors.h"
#include "updater/logic/modXml.h"
#include "updater/logic/update_list.h"
#include "updater/logic/updater_texts.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>

namespace modPublic {

bool FileExists(const std::string& path)
{
    struct stat st
    { };
    if (::stat(platform::nativePath(path).c_str(), &st) == 0)
        return S_ISREG(st.st_mode);
    // Only "no such file" is an answer; a path that cannot be examined counts as found.
    return errno != ENOENT && errno != ENOTDIR;
}

bool GetListUrl(platform::InetTransfer&, const std::string& listFileName, std::string& url)
{
    modXml::XmlDocument list;
    if (!modXml::LoadXml(platform::joinPath(platform::programFolder(), listFileName), list)) {
        url = listFileName + updater_texts::notFoundSuffix;
        return false;
    }
    if (!list.parsed()) {
        url = list.parseErrorReason();
        return false;
    }
    if (!modXml::selectText(list.document, "//Url", url)) {
        message_box::show(updater_texts::programTitle, updater_texts::errorNoUrl);
        return false;
    }
    return true;
}

namespace {

// A file of at most `most` bytes, by GET. `failure` says why it did not come whole (in the
// program's words); "" when it did, or when the server answered that it has none (404).
struct Fetched
{
    std::optional<std::string> bytes;
    std::string failure;
};

Fetched fetchLimited(platform::InetTransfer& client, const std::string& url, std::size_t most, const char* tooLong)
{
    std::string bytes;
    bool full = false;
    client.execute(url, "GET", [&](std::string_view chunk) {
        full = bytes.size() + chunk.size() > most;
        if (!full)
            bytes.append(chunk);
        return !full;
    });
    if (full)
        return {std::nullopt, tooLong};
    if (client.error() != platform::hresult::ok)
        return {std::nullopt, updater_texts::transferBroken};
    if (client.status() == 404)
        return {};
    if (client.status() != 200)
        return {std::nullopt, updater_texts::serverAnsweredPrefix + std::to_string(client.status())};
    return {std::move(bytes), {}};
}

} // namespace

bool DownloadServerList(platform::InetTransfer& client,
    const std::string& baseUrl,
    const std::string& listName,
    const std::string& saveName,
    const list_trust::Trust& trust,
    std::string* refusal)
{
    const auto refuse = [&](std::string reason) {
        if (refusal)
            *refusal = std::move(reason);
        return false;
    };
    const std::string url = platform::fileUrl(baseUrl, listName);
    client.setUrl(url);
    client.execute(url, "HEAD");
    const std::string& header = client.getHeader();
    if (header.find("Not Found") != std::string::npos && header.find("404") != std::string::npos)
        return false;
    // A list longer than any server sends is refused as such, not as a broken line.
    Fetched list = fetchLimited(client, url, platform::ContainedFolder::defaultMaxBytes, updater_texts::listTooLong);
    if (list.failure == updater_texts::listTooLong)
        return refuse(list.failure);
    // A broken transfer has been reported by the client already; an error page is no list.
    if (!list.bytes || client.error() != platform::hresult::ok || client.status() != 200)
        return false;
    const std::string body = std::move(*list.bytes);
    // Under a key nothing of the list is read before its signature has been checked. A
    // signature file is a few lines: one longer than that, or one that does not come whole
    // (a line that hangs or trickles), is not the same as none.
    constexpr std::size_t signatureMaxBytes = 16384;
    if (trust.keyPresent) {
        std::optional<std::string> signature;
        if (trust.key) {
            Fetched fetched = fetchLimited(client, url + updater_texts::signatureSuffix, signatureMaxBytes,
                updater_texts::refusedSignatureTooLong);
            if (fetched.failure == updater_texts::refusedSignatureTooLong)
                return refuse(fetched.failure);
            if (!fetched.failure.empty())
                return refuse(updater_texts::refusedSignatureUnfetched + fetched.failure);
            signature = std::move(fetched.bytes);
        }
        if (auto reason = list_trust::signatureRefusal(trust, body, signature))
            return refuse(std::move(*reason));
    }
    // A list that would not serve as the next local list is refused before it is kept.
    modXml::XmlDocument parsed;
    modXml::ParseXml(body, parsed);
    if (const auto problem = update_list::serverListProblem(parsed)) {
        message_box::show(updater_texts::programTitle, *problem);
        return false;
    }
    if (auto reason = list_trust::contentRefusal(trust, parsed))
        return refuse(std::move(*reason));
    parsed.release();
    const platform::ContainedFolder folder(platform::programFolder());
    // Fetched again on every run, the copy need not wait for the disk.
    if (const int error = folder.writeReplacing(saveName, body, false)) {
        message_box::show(updater_texts::programTitle, file_errors::writeError(saveName, error));
        return false;
    }
    return true;
}

std::string GetFolderPart(const std::string& name, const std::string& separator)
{
    if (separator.empty())
        return {};
    auto lower = [](std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return text;
    };
    const std::size_t at = lower(name).rfind(lower(separator));
    return at == std::string::npos ? std::string() : name.substr(0, at + separator.size());
}

std::string AddBackslash(const std::string& path)
{
    return !path.empty() && path.back() == '\\' ? path : path + "\\";
}

bool MakeDirectory(const std::string& folder)
{
    const std::string native = platform::nativePath(AddBackslash(folder));
    std::size_t at = native.starts_with('/') ? 1 : 0;
    while ((at = native.find('/', at)) != std::string::npos) {
        const std::string part = native.substr(0, at);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        ++at;
    }
    struct stat st
    { };
    return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace modPublic
