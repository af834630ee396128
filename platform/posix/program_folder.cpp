#include "platform/program_folder.h"

#include <climits>
#include <unistd.h>

namespace platform {
namespace {

std::string& overriddenFolder()
{
    static std::string folder;
    return folder;
}

std::string executableFolder()
{
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        return ".";
    const std::string exe(buffer, static_cast<size_t>(n));
    const size_t slash = exe.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

} // namespace

std::string programFolder()
{
    if (!overriddenFolder().empty())
        return overriddenFolder();
    static const std::string folder = executableFolder();
    return folder;
}

void overrideProgramFolder(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    overriddenFolder() = std::move(folder);
}

std::string nativePath(std::string_view path)
{
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        const char native = c == '\\' ? '/' : c;
        if (native == '/' && !out.empty() && out.back() == '/')
            continue;
        out.push_back(native);
    }
    return out;
}

std::string joinPath(std::string_view folder, std::string_view relative)
{
    return nativePath(std::string(folder) + "/" + std::string(relative));
}

std::string executableFileName(std::string_view windowsName)
{
    std::string name(windowsName);
    if (name.size() > 4) {
        std::string ext = name.substr(name.size() - 4);
        for (char& c : ext)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (ext == ".exe")
            name.resize(name.size() - 4);
    }
    return name;
}

} // namespace platform
