// Update lists: any bytes parse or are refused without harm; a list that parses (the only
// kind the updater ever writes back) writes back to bytes that read back to the same entries,
// and one the updater accepts stays acceptable.

#include "updater/logic/modXml.h"
#include "updater/logic/name_rules.h"
#include "updater/logic/update_list.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_map>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    modXml::XmlDocument list;
    modXml::ParseXml(bytes, list);
    const bool usable = !update_list::serverListProblem(list).has_value();
    std::vector<update_list::FileEntry> entries;
    try {
        entries = update_list::readFiles(list.document);
    } catch (const update_list::ListError&) {
        if (usable)
            std::abort(); // an accepted list must have readable entries
        return 0;
    }
    auto checked = entries;
    name_rules::checkEntries(checked, entries, list.encoding);
    update_list::entriesToUpdate(entries, checked);
    // Each name finds the Ver of its first entry.
    const update_list::LocalVersions versions(list.document);
    std::unordered_map<std::string, std::string> first;
    for (const auto& entry : entries)
        first.emplace(entry.name, entry.ver);
    for (const auto& [name, ver] : first)
        if (versions.ver(name) != std::string_view(ver))
            std::abort();
    if (!list.parsed())
        return 0;

    const std::string written = modXml::SaveXml(list);
    modXml::XmlDocument again;
    modXml::ParseXml(written, again);
    if (!again.parsed() || update_list::readFiles(again.document) != entries)
        std::abort();
    if (usable && update_list::serverListProblem(again))
        std::abort();
    return 0;
}
