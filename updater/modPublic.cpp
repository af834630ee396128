#include "modPublic.h"

#include "contained_folder.h"
#include "file_util.h"
#include "message_box.h"
#include "modXml.h"
#include "program_folder.h"
#include "update_list.h"
#include "updater_texts.h"

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

// The signature file of the list at `listUrl`; nothing when the server has none. A
// signature file is a few lines: what comes after its first kilobytes is never read.
std::optional<std::string> fetchSignature(platform::InetTransfer& client, const std::string& listUrl)
{
    constexpr std::size_t most = 16384;
    std::string bytes;
    bool full = false;
    client.execute(listUrl + updater_texts::signatureSuffix, "GET", [&](std::string_view chunk) {
        bytes.append(chunk.substr(0, most - bytes.size()));
        full = bytes.size() == most;
        return !full;
    });
    if (client.status() != 200 || (client.error() != platform::hresult::ok && !full))
        return std::nullopt;
    return bytes;
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
    const std::string body = client.openUrl(url);
    // A broken transfer has been reported by the client already; an error page is no list.
    if (client.error() != platform::hresult::ok || client.status() != 200)
        return false;
    // Under a key nothing of the list is read before its signature has been checked.
    if (trust.keyPresent)
        if (auto reason = list_trust::signatureRefusal(trust, body, fetchSignature(client, url)))
            return refuse(std::move(*reason));
    // A list that would not serve as the next local list is refused before it is kept.
    modXml::XmlDocument list;
    modXml::ParseXml(body, list);
    if (const auto problem = update_list::serverListProblem(list)) {
        message_box::show(updater_texts::programTitle, *problem);
        return false;
    }
    if (auto reason = list_trust::contentRefusal(trust, list))
        return refuse(std::move(*reason));
    const platform::ContainedFolder folder(platform::programFolder());
    // Fetched again on every run, the copy need not wait for the disk.
    if (const int error = folder.writeReplacing(saveName, body, false)) {
        message_box::show(updater_texts::programTitle, std::strerror(error));
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
