#include "common/logic/update_shell_names.h"

#include "platform/ascii_text.h"
#include "platform/installation.h"
#include "platform/program_folder.h"

#include <algorithm>
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

} // namespace

const UpdateShellNames& updateShellNames(Shell shell)
{
    return shell == Shell::Portal ? portalNames : tvNames;
}

std::string localUpdateFile(const char* relative)
{
    const std::string exact = platform::joinPath(platform::installation::cacheFolder(), relative);
    std::error_code ec;
    const std::filesystem::path path(exact);
    if (std::filesystem::exists(path, ec))
        return exact;
    const std::string wanted = path.filename().string();
    // Iterate without exceptions: an unreadable folder simply has no other spelling.
    for (std::filesystem::directory_iterator it(path.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        if (ascii::equalIgnoringCase(it->path().filename().string(), wanted))
            return it->path().string();
    }
    return exact;
}
