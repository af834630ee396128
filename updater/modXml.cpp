#include "modXml.h"

#include "file_util.h"
#include "modPublic.h"

namespace modXml {

bool LoadXml(const std::string& path, XmlDocument& document)
{
    if (!modPublic::FileExists(path))
        return false;
    ParseXml(platform::readWholeFile(path).value_or(std::string()), document);
    return true;
}

} // namespace modXml
