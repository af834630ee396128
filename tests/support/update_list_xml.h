#pragma once

#include <string>
#include <utility>
#include <vector>

// File names with their versions, as an update list names them.
using Files = std::vector<std::pair<std::string, std::string>>;

// An update list as the servers and the installation hold it.
inline std::string listXml(const std::string& url,
    const Files& files,
    const std::string& runApp = "Pallomar.exe",
    const std::string& encoding = "utf-8")
{
    std::string xml
        = "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n<UpdateList>\n  <Url>" + url + "</Url>\n  <Files>\n";
    for (const auto& [name, ver] : files)
        xml += "    <File Name=\"" + name + "\" Ver=\"" + ver + "\"/>\n";
    xml += "  </Files>\n  <RunApp>" + runApp + "</RunApp>\n</UpdateList>\n";
    return xml;
}
