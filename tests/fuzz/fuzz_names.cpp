// Names of the update lists: a name accepted for a list in any encoding stays inside the
// program folder, in UTF-8 and in the form that encoding gives it.

#include "platform/codepage.h"
#include "updater/logic/modXml.h"
#include "updater/logic/name_rules.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

bool staysInside(const std::string& name)
{
    std::string native = name;
    for (char& c : native)
        if (c == '\\')
            c = '/';
    const std::filesystem::path joined = (std::filesystem::path("/program") / native).lexically_normal();
    const std::string text = joined.string();
    return text.starts_with("/program/") && text.size() > 9 && joined != "/program/";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string name(reinterpret_cast<const char*>(data), size);
    using modXml::TextEncoding;
    for (const TextEncoding encoding :
        {TextEncoding::Utf8, TextEncoding::Gbk, TextEncoding::Latin1, TextEncoding::Utf16, TextEncoding::Unsupported}) {
        if (!name_rules::isInstallableName(name, encoding))
            continue;
        if (encoding == TextEncoding::Unsupported || !staysInside(name) || name.find('\0') != std::string::npos)
            std::abort();
        if (encoding == TextEncoding::Gbk) {
            const std::string ansi = platform::utf8ToAnsi(name);
            if (platform::ansiToUtf8(ansi) != name || ansi.find('?') != std::string::npos)
                std::abort();
        }
    }
    return 0;
}
