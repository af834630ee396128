#include "platform/profile.h"

#include "platform/codepage.h"
#include "platform/file_util.h"
#include "platform/posix/profile_file.h"
#include "platform/profile_text.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace platform {
namespace {

// Both shells may write one settings file at the same moment: every read-modify-write of a
// file holds an exclusive lock on its folder, so that no write is lost between them, and a
// read holds a shared one, so that it never sees a file that is written in place.
class FolderLock
{
public:
    FolderLock(const std::string& file, int operation)
    {
        std::filesystem::path folder = std::filesystem::path(file).parent_path();
        if (folder.empty())
            folder = ".";
        m_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_fd >= 0)
            while (::flock(m_fd, operation) != 0 && errno == EINTR) { }
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd = -1;
};

// The names and values of the calls are ANSI text; a file with a byte-order mark holds UTF-8
// once decoded.
std::string toDocument(const profile_text::Document& document, const char* ansi)
{
    return document.isUtf8() ? ansiToUtf8(ansi) : std::string(ansi);
}

} // namespace

std::size_t getPrivateProfileString(const char* section,
    const char* key,
    const char* defaultValue,
    char* buffer,
    std::size_t size,
    const std::string& path)
{
    if (buffer == nullptr || size == 0)
        return 0;
    std::string result = defaultValue ? defaultValue : "";
    result.erase(0, result.find_first_not_of(" \t"));
    result.erase(result.find_last_not_of(" \t") + 1);
    if (section && key && *key) {
        const std::string file = profile_file::followLinks(path);
        const FolderLock lock(file, LOCK_SH);
        if (const std::optional<std::string> bytes = readWholeFile(file)) {
            const profile_text::Document document = profile_text::decode(*bytes);
            const auto found = profile_text::find(document, toDocument(document, section), toDocument(document, key));
            if (found)
                result = document.isUtf8() ? utf8ToAnsi(*found) : *found;
        }
    }
    const std::size_t count = profile_text::ansiPrefixLength(result, size - 1);
    if (count > 0)
        std::memcpy(buffer, result.data(), count);
    buffer[count] = '\0';
    return count;
}

bool writePrivateProfileString(const char* section, const char* key, const char* value, const std::string& path)
{
    if (section == nullptr)
        return false;
    // A link stays a link: what is written is the file it names.
    const std::string file = profile_file::followLinks(path);
    const FolderLock lock(file, LOCK_EX);
    profile_file::removeStaleTemporaries(file);
    const std::optional<std::string> bytes = readWholeFile(file);
    // A file that is there but cannot be read is not written over.
    if (!bytes && fileExists(file))
        return false;
    profile_text::Document document = profile_text::decode(bytes.value_or(std::string()));
    const std::string sectionText = toDocument(document, section);
    const std::optional<std::string> keyText = key ? std::optional(toDocument(document, key)) : std::nullopt;
    const std::optional<std::string> valueText = value ? std::optional(toDocument(document, value)) : std::nullopt;
    switch (profile_text::update(document, sectionText, keyText, valueText)) {
    case profile_text::Change::Unchanged:
        return true; // nothing to delete: the file is not even created
    case profile_text::Change::Refused:
        return false;
    case profile_text::Change::Changed:
        break;
    }
    // What could not be taken apart is rewritten from what could, once a copy of the damaged
    // file is kept beside it; a copy that cannot be made does not keep the file broken.
    if (document.damaged)
        profile_file::replace(file + ".bak", *bytes);
    return profile_file::replace(file, profile_text::encode(document));
}

} // namespace platform
