#include "updater/logic/file_errors.h"

#include <cerrno>

namespace file_errors {

std::string cause(int error)
{
    switch (error) {
    case ENOSPC:
        return "磁盘空间不足";
    case EDQUOT:
        return "超出磁盘配额";
    case EIO:
        return "磁盘读写错误";
    case EROFS:
        return "磁盘是只读的";
    case EACCES:
    case EPERM:
        return "没有访问权限";
    case ENOENT:
        return "文件不存在";
    case EINVAL:
        return "不是普通文件";
    case EFBIG:
        return "文件过大";
    case ENOTDIR:
    case ELOOP:
        return "路径中有链接或不是文件夹";
    case EISDIR:
        return "同名的文件夹已存在";
    case EEXIST:
        return "同名的文件夹或链接已存在";
    case ENAMETOOLONG:
        return "文件名过长";
    default:
        return "系统错误 " + std::to_string(error);
    }
}

std::string readError(const std::string& file, int error)
{
    return "无法读取文件 " + file + "：" + cause(error);
}

std::string writeError(const std::string& file, int error)
{
    return "无法写入文件 " + file + "：" + cause(error);
}

} // namespace file_errors
