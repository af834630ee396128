#include "updater/publish/release.h"

#include "updater/logic/file_digest.h"
#include "updater/logic/modXml.h"
#include "updater/logic/name_rules.h"

#include <algorithm>
#include <fstream>
#include <unordered_map>
#include <unordered_set>

namespace fs = std::filesystem;

namespace release {
namespace {

using Measure = file_digest::FileFigures;

Measure measure(const fs::path& source, std::ostream* copy = nullptr)
{
    const auto figures = file_digest::measureFile(source.string(), copy);
    if (!figures)
        throw ReleaseError(copy ? "cannot copy " + source.string() : "cannot read " + source.string());
    return *figures;
}

fs::path relativePath(const std::string& listName)
{
    std::string path = listName;
    std::replace(path.begin(), path.end(), '\\', '/');
    return fs::path(path);
}

std::string escaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::vector<update_list::FileEntry> readPrevious(const fs::path& path, std::uint64_t& serial)
{
    modXml::XmlDocument list;
    if (!modXml::LoadXml(path.string(), list))
        throw ReleaseError("the previous list " + path.string() + " does not exist");
    if (!list.parsed())
        throw ReleaseError("the previous list does not parse: " + list.parseErrorReason());
    if (auto problem = update_list::serverListProblem(list))
        throw ReleaseError("the previous list is not usable: " + *problem);
    if (!update_list::readSerial(list.document, serial))
        throw ReleaseError("the previous list's Serial is no number");
    try {
        return update_list::readFiles(list.document);
    } catch (const update_list::ListError& error) {
        throw ReleaseError(std::string("the previous list is not usable: ") + error.what());
    }
}

// The files of the folder the release offers, by list name, sorted.
std::vector<std::string> releaseFiles(const fs::path& from, std::vector<std::string>& skipped)
{
    std::vector<std::string> names;
    std::unordered_map<std::string, std::string> folded;
    for (auto it = fs::recursive_directory_iterator(from); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path relative = fs::relative(it->path(), from);
        if (relative.generic_string().find('\\') != std::string::npos)
            throw ReleaseError(
                relative.generic_string() + ": a backslash, which the updater reads as a folder separator");
        const std::string name = listName(relative);
        if (name_rules::isRunTimeFile(name)) {
            skipped.push_back(name);
            if (it->is_directory() && !it->is_symlink())
                it.disable_recursion_pending();
            continue;
        }
        if (it->is_symlink())
            throw ReleaseError(name + ": a link; the updater installs regular files only");
        if (it->is_directory())
            continue;
        if (!it->is_regular_file())
            throw ReleaseError(name + ": not a regular file");
        if (!name_rules::isInstallableName(name, modXml::TextEncoding::Utf8))
            throw ReleaseError(name
                + ": the updater refuses this name (it could leave the program folder, or "
                  "holds characters that do not survive every conversion)");
        // Installations on file systems that ignore letter case would take the two for one.
        const auto [other, fresh] = folded.emplace(name_rules::foldedName(name), name);
        if (!fresh)
            throw ReleaseError(name + ": the updater takes it for the same file as " + other->second);
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::sort(skipped.begin(), skipped.end());
    return names;
}

} // namespace

std::string listName(const fs::path& relative)
{
    std::string name = relative.generic_string();
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

Plan plan(const Options& options)
{
    if (!fs::is_directory(options.from))
        throw ReleaseError("the new program folder " + options.from.string() + " is no folder");
    if (options.url.rfind("http://", 0) != 0 && options.url.rfind("https://", 0) != 0)
        throw ReleaseError("the base URL must begin with http:// or https://: " + options.url);
    if (options.runApp.empty())
        throw ReleaseError("the program to start after an update (--run-app) is empty");

    Plan plan;
    plan.url = options.url.back() == '/' ? options.url : options.url + "/";
    plan.runApp = options.runApp;
    std::vector<update_list::FileEntry> previous;
    if (options.previous) {
        std::uint64_t serial = 0;
        previous = readPrevious(*options.previous, serial);
        if (serial == UINT64_MAX)
            throw ReleaseError("the previous list's Serial cannot be raised");
        plan.serial = serial + 1;
    }

    const std::vector<std::string> names = releaseFiles(options.from, plan.skipped);
    const std::unordered_set<std::string> present(names.begin(), names.end());
    std::unordered_map<std::string, const update_list::FileEntry*> before;
    // The previous order first, so that a release's list reads like the last one's.
    std::vector<std::string> ordered;
    for (const update_list::FileEntry& entry : previous) {
        if (!before.emplace(entry.name, &entry).second)
            continue;
        if (present.contains(entry.name))
            ordered.push_back(entry.name);
        else
            plan.dropped.push_back(entry.name);
    }
    for (const std::string& name : names)
        if (!before.contains(name))
            ordered.push_back(name);

    for (const std::string& name : ordered) {
        const Measure figures = measure(options.from / relativePath(name));
        update_list::FileEntry entry {name, {}, figures.size, figures.sha256};
        const auto old = before.find(name);
        if (old != before.end() && old->second->size == entry.size && old->second->sha256 == entry.sha256) {
            entry.ver = old->second->ver;
        } else {
            // A version drawn from the bytes changes exactly when they do, and a second run
            // over the same folder gives the same list.
            entry.ver = file_digest::toHex(figures.sha256).substr(0, 16);
            plan.changed.push_back(plan.entries.size());
        }
        plan.entries.push_back(std::move(entry));
    }

    std::vector<update_list::FileEntry> checked = plan.entries;
    const name_rules::Verdict verdict = name_rules::checkEntries(checked, {}, modXml::TextEncoding::Utf8);
    if (verdict.fault != name_rules::Fault::None)
        throw ReleaseError(verdict.name + ": the updater would refuse the list for this name");
    return plan;
}

void writeFiles(Plan& plan, const fs::path& from, const fs::path& out)
{
    std::error_code error;
    if (fs::exists(out) && (!fs::is_directory(out) || !fs::is_empty(out)))
        throw ReleaseError("the out folder " + out.string() + " must be empty: what it holds would be uploaded");
    fs::create_directories(out, error);
    if (error)
        throw ReleaseError("cannot make " + out.string() + ": " + error.message());
    for (const std::size_t index : plan.changed) {
        update_list::FileEntry& entry = plan.entries[index];
        const fs::path relative = relativePath(entry.name);
        fs::create_directories((out / relative).parent_path(), error);
        std::ofstream copy(out / relative, std::ios::binary | std::ios::trunc);
        if (error || !copy)
            throw ReleaseError("cannot write " + (out / relative).string());
        const Measure written = measure(from / relative, &copy);
        copy.close();
        if (!copy)
            throw ReleaseError("cannot write " + (out / relative).string());
        if (written.size != entry.size || written.sha256 != entry.sha256)
            throw ReleaseError(entry.name + " changed while it was published; run the release again");
        fs::permissions(out / relative, fs::status(from / relative).permissions(), error);
    }
}

std::string listXml(const Plan& plan)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<UpdateList Serial=\"" + std::to_string(plan.serial)
        + "\">\n  <Url>" + escaped(plan.url) + "</Url>\n  <Files>\n";
    for (const update_list::FileEntry& entry : plan.entries)
        xml += "    <File Name=\"" + escaped(entry.name) + "\" Ver=\"" + escaped(entry.ver) + "\" Size=\""
            + std::to_string(entry.size.value_or(0)) + "\" Sha256=\"" + file_digest::toHex(*entry.sha256) + "\"/>\n";
    return xml + "  </Files>\n  <RunApp>" + escaped(plan.runApp) + "</RunApp>\n</UpdateList>\n";
}

} // namespace release
