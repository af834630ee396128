#include "updater/publish/published_check.h"

#include "updater/logic/file_digest.h"
#include "updater/logic/list_trust.h"
#include "updater/logic/modXml.h"
#include "updater/logic/name_rules.h"
#include "updater/logic/update_list.h"
#include "updater/logic/updater_texts.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace published_check {
namespace {

namespace texts = updater_texts;

std::optional<std::string> readWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void checkFile(const fs::path& folder, const update_list::FileEntry& entry, const Options& options, Report& report)
{
    std::string relative = entry.name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const fs::path path = folder / relative;
    const fs::file_status status = fs::symlink_status(path);
    if (!fs::exists(status)) {
        if (options.complete)
            report.problems.push_back(entry.name + ": not in the folder");
        else
            report.notes.push_back(entry.name + ": not in the folder (it must already be on the server)");
        return;
    }
    if (!fs::is_regular_file(status)) {
        report.problems.push_back(entry.name + ": not a regular file");
        return;
    }
    const auto figures = file_digest::measureFile(path.string());
    if (!figures) {
        report.problems.push_back(entry.name + ": cannot be read");
        return;
    }
    ++report.filesChecked;
    if (entry.size && figures->size != *entry.size)
        report.problems.push_back(entry.name + ": " + std::to_string(figures->size) + " bytes, the list says "
            + std::to_string(*entry.size) + " (" + texts::fileUnverified + ")");
    else if (entry.sha256 && figures->sha256 != *entry.sha256)
        report.problems.push_back(entry.name + ": its SHA-256 differs from the list's (" + texts::fileUnverified + ")");
}

} // namespace

Report check(const fs::path& folder, const list_signature::PublicKey& key, const Options& options)
{
    Report report;
    const auto list = readWhole(folder / texts::localListFile);
    if (!list) {
        report.problems.push_back(std::string(texts::localListFile) + texts::listNotFoundSuffix);
        return report;
    }
    list_trust::Trust trust;
    trust.keyPresent = true;
    trust.key = key;
    trust.adoptedSerial = options.adoptedSerial;
    const auto signature = readWhole(folder / (std::string(texts::localListFile) + texts::signatureSuffix));
    if (auto refusal = list_trust::signatureRefusal(trust, *list, signature)) {
        report.problems.push_back(texts::listRefusedPrefix + *refusal);
        return report;
    }
    report.notes.push_back("the signature verifies with the key");

    modXml::XmlDocument document;
    modXml::ParseXml(*list, document);
    if (auto problem = update_list::serverListProblem(document)) {
        report.problems.push_back(texts::listRefusedPrefix + *problem);
        return report;
    }
    if (auto refusal = list_trust::contentRefusal(trust, document)) {
        report.problems.push_back(texts::listRefusedPrefix + *refusal);
        return report;
    }
    std::vector<update_list::FileEntry> entries;
    try {
        entries = update_list::readFiles(document.document);
    } catch (const update_list::ListError& error) {
        report.problems.push_back(texts::listRefusedPrefix + std::string(error.what()));
        return report;
    }
    const name_rules::Verdict verdict = name_rules::checkEntries(entries, {}, document.encoding);
    if (verdict.fault == name_rules::Fault::Unsafe)
        report.problems.push_back(texts::unsafeNamePrefix + verdict.name + texts::unsafeNameSuffix);
    else if (verdict.fault == name_rules::Fault::Duplicate)
        report.problems.push_back(texts::duplicateNamePrefix + verdict.name);
    if (!report.ok())
        return report;
    for (const update_list::FileEntry& entry : entries)
        checkFile(folder, entry, options, report);
    return report;
}

} // namespace published_check
