#include "common/logic/update_shell_names.h"

#include "platform/program_folder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

constexpr UpdateShellNames portalNames {
    "gengxinTime",
    "FindUpdateTimer",
    "/update/updatePallo.txt",
    "/update/updatePalloNews.txt",
    "\\updatePallo.txt",
    "/updatePallo.txt",
    "\\updatePallonews.txt",
    "/updatePalloNews.txt",
    "\\updatePalloNews.txt",
    "UpdatePalloVersion",
    "ThisPalloVersion",
};

constexpr UpdateShellNames tvNames {
    "Timer5",
    "Timer4",
    "/update/update.txt",
    "/update/updatenews.txt",
    "\\update.txt",
    "/update.txt",
    "\\updatenews.txt",
    "/updatenews.txt",
    "\\updatenews.txt",
    "UpdateVersion",
    "ThisVersion",
};

bool sameIgnoringCase(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

const UpdateShellNames& updateShellNames(Shell shell)
{
    return shell == Shell::Portal ? portalNames : tvNames;
}

std::string localUpdateFile(const char* relative)
{
    const std::string exact = platform::joinPath(platform::programFolder(), relative);
    std::error_code ec;
    const std::filesystem::path path(exact);
    if (std::filesystem::exists(path, ec))
        return exact;
    const std::string wanted = path.filename().string();
    // Iterate without exceptions: an unreadable folder simply has no other spelling.
    for (std::filesystem::directory_iterator it(path.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        if (sameIgnoringCase(it->path().filename().string(), wanted))
            return it->path().string();
    }
    return exact;
}
