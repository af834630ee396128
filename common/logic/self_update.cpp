#include "common/logic/self_update.h"

#include <cerrno>
#include <cstring>

namespace self_update {
namespace {

std::string reasonText(int error)
{
    const std::string system = std::strerror(error);
    switch (error) {
    case EACCES:
    case EPERM:
        return "当前用户没有写入权限（" + system + "）";
    case EROFS:
        return "文件夹位于只读的文件系统上（" + system + "）";
    case ENOENT:
        return "文件夹不存在（" + system + "）";
    case ENOSPC:
    case EDQUOT:
        return "磁盘空间不足（" + system + "）";
    default:
        return "无法写入（" + system + "）";
    }
}

} // namespace

bool enabled()
{
    return platform::installation::mode() == platform::installation::Mode::Portable;
}

std::string refusal(platform::installation::Mode mode, const std::string& folder, int probeError)
{
    if (mode == platform::installation::Mode::System)
        return packageManagedText;
    if (probeError == 0)
        return {};
    return "无法更新程序文件夹 " + folder + "：" + reasonText(probeError)
        + "。请以能写入该文件夹的用户运行更新程序，或把程序文件夹复制到可写的位置。";
}

std::string updaterRefusal(const std::string& folder)
{
    const platform::installation::Mode mode = platform::installation::mode();
    return refusal(
        mode, folder, mode == platform::installation::Mode::System ? 0 : platform::installation::writeProbe(folder));
}

} // namespace self_update
