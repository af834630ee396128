#include "tv/logic/tv_texts.h"

#include "common/logic/release_version.h"

#include <vector>

namespace tv {

Version programVersion()
{
    return {release_version::major, release_version::minor, release_version::patch};
}

std::string versionSuffix(const Version& version)
{
    return "(版本 " + std::to_string(version.major) + "." + std::to_string(version.minor) + "."
        + std::to_string(version.revision) + ")";
}

std::string trayTip(const Version& version)
{
    return programTitle + versionSuffix(version);
}

std::string aboutText(const Version& version)
{
    return std::string("感谢您对Tovanis的支持我们会做的更好！") + "\r\n\r\n" + aboutContactLine + "\r\n\r\n"
        + "程序名称： Tovanis网络电视" + versionSuffix(version);
}

std::string dialogFilter(const std::string& pairs)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const auto bar = pairs.find('|', start);
        parts.push_back(pairs.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    std::string filter;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string& description = parts[i];
        const std::string bracketed = "(" + parts[i + 1] + ")";
        if (!filter.empty())
            filter += ";;";
        filter += description;
        if (!description.ends_with(bracketed))
            filter += " " + bracketed;
    }
    return filter;
}

} // namespace tv
