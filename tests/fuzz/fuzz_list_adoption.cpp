// The local list kept after an update: for any local list, server list and failed names
// (the input's three parts, split at NUL bytes), the kept list reads back as the server's,
// except that an entry whose Ver the local list already had keeps the local Size and
// Sha256, and a failed name keeps its old entry or none.

#include "updater/logic/list_adoption.h"
#include "updater/logic/modXml.h"
#include "updater/logic/update_list.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

std::vector<update_list::FileEntry> entriesOf(std::string_view bytes, bool& readable)
{
    modXml::XmlDocument list;
    modXml::ParseXml(bytes, list);
    readable = list.parsed();
    try {
        return update_list::readFiles(list.document);
    } catch (const update_list::ListError&) {
        readable = false;
        return {};
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t first = input.find('\0');
    if (first == std::string_view::npos)
        return 0;
    const std::string_view local = input.substr(0, first);
    std::string_view server = input.substr(first + 1);
    std::vector<std::string> failed;
    if (const std::size_t second = server.find('\0'); second != std::string_view::npos) {
        std::string_view names = server.substr(second + 1);
        server = server.substr(0, second);
        while (!names.empty()) {
            const std::size_t end = names.find('\n');
            failed.emplace_back(names.substr(0, end));
            names = end == std::string_view::npos ? std::string_view() : names.substr(end + 1);
        }
    }
    const auto adoption = list_adoption::adoptedList(std::string(server), std::string(local), failed);
    if (!adoption.problem.empty())
        return 0;
    const std::string* adopted = &adoption.list;
    bool readable = false;
    const auto localEntries = entriesOf(local, readable);
    if (!readable)
        return 0; // the updater compared the lists first: its local list always reads
    const auto serverEntries = entriesOf(server, readable);
    const auto keptEntries = entriesOf(*adopted, readable);
    if (!readable)
        std::abort();

    std::unordered_map<std::string, const update_list::FileEntry*> firstLocal;
    for (const auto& entry : localEntries)
        firstLocal.emplace(entry.name, &entry);
    const std::unordered_set<std::string> failedNames(failed.begin(), failed.end());
    std::unordered_set<std::string> restored;
    std::vector<update_list::FileEntry> expected;
    bool changed = false;
    for (update_list::FileEntry entry : serverEntries) {
        const auto old = firstLocal.find(entry.name);
        if (failedNames.contains(entry.name)) {
            changed = true;
            if (old != firstLocal.end() && restored.insert(entry.name).second)
                expected.push_back(*old->second);
            continue;
        }
        if (old != firstLocal.end() && old->second->ver == entry.ver) {
            changed = changed || entry.size != old->second->size || entry.sha256 != old->second->sha256;
            entry.size = old->second->size;
            entry.sha256 = old->second->sha256;
        }
        expected.push_back(std::move(entry));
    }
    if (keptEntries != expected)
        std::abort();
    // Nothing to change and no failed name: the server's bytes stay as they were signed.
    if (!changed && failed.empty() && *adopted != server)
        std::abort();
    // Kept again, the kept list stays what it is.
    const auto again = list_adoption::adoptedList(*adopted, std::string(local), failed);
    if (!again.problem.empty() || entriesOf(again.list, readable) != keptEntries)
        std::abort();
    return 0;
}
