#include "tv/logic/desktop_shortcut.h"

#include "platform/codepage.h"
#include "platform/file_util.h"
#include "platform/program_folder.h"
#include "tv/logic/tv_texts.h"

#include <filesystem>

namespace desktop_shortcut {

std::string execArgument(const std::string& path)
{
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

std::string escapeValue(const std::string& value)
{
    std::string escaped;
    for (const char c : value) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\t':
            escaped += "\\t";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string entryText(const std::string& programFolder)
{
    const std::string program = platform::joinPath(programFolder, "/" + platform::executableFileName("TovanTV.exe"));
    const std::string icon = platform::joinPath(programFolder, "/Images/TovanTV.png");
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.0\n"
           "Name="
        + std::string(tv::programTitle)
        + "\n"
          "Comment=网络电视直播、高清影视与在线广播\n"
          "Exec="
        + escapeValue(execArgument(program)) + "\nPath=" + escapeValue(programFolder) + "\nIcon=" + escapeValue(icon)
        + "\n"
          "Terminal=false\n"
          "Categories=AudioVideo;Video;TV;\n";
}

std::string refusal(const std::string& programFolder)
{
    // The entry names the program and its icon by absolute paths; a desktop finds nothing else.
    if (programFolder.empty() || programFolder.front() != '/')
        return "程序文件夹的路径不是绝对路径，桌面快捷方式无法记下它。";
    for (const char c : programFolder) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n' && c != '\r' && c != '\t') || byte == 0x7F)
            return "程序文件夹的路径含有控制字符，桌面快捷方式无法记下它。";
    }
    if (platform::sanitizeUtf8(programFolder) != programFolder)
        return "程序文件夹的路径不是有效的 UTF-8 文字，桌面快捷方式无法记下它。";
    return {};
}

Outcome create(const std::string& desktopFolder, const std::string& programFolder)
{
    namespace fs = std::filesystem;
    if (std::string reason = refusal(programFolder); !reason.empty())
        return {false, std::move(reason)};
    const Outcome unwritable {false, "桌面文件夹无法写入。"};
    std::error_code ec;
    fs::create_directories(fs::path(desktopFolder), ec);
    const std::string target = (fs::path(desktopFolder) / fileName).string();
    if (!platform::writeFileReplacing(target, entryText(programFolder)))
        return unwritable;
    fs::permissions(fs::path(target),
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec | fs::perms::group_read
            | fs::perms::others_read,
        ec);
    return ec ? unwritable : Outcome {true, {}};
}

} // namespace desktop_shortcut
