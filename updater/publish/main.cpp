// renovo-publish: the maker's side of the updater. Makes the key pair, writes a release's
// files and its signed list, and checks a published folder as an installation would.

#include "updater/logic/list_signature.h"
#include "updater/logic/updater_texts.h"
#include "updater/publish/minisign_cli.h"
#include "updater/publish/published_check.h"
#include "updater/publish/release.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* usage = R"(renovo-publish: publishes updates for Renovo, the updater of Pallomar and TovanTV.

  renovo-publish keygen --pub FILE --key FILE [--no-password] [--force]
      Makes a key pair with minisign: the public key goes into every installation's
      program folder as update-key.pub; the secret key (protected by a password that
      minisign asks for) stays with the maker, off the servers.

  renovo-publish release --from FOLDER [--previous LIST] --url URL --out FOLDER
                         --key SECRET [--pub PUBLIC] [--run-app NAME]
      Writes into the (empty) out folder every file of the new program folder that is
      new or changed since LIST, the list published last (none: a first release), and
      the new UpdList.xml with every file's Size and Sha256 and the Serial raised by
      one, signed as UpdList.xml.minisig. Unchanged files keep their Ver; new and
      changed files get the first 16 digits of their SHA-256 as Ver. Files the programs
      write at run time (Setting.ini, the local update files, the lists) and the key are
      never published. URL is the base address the out folder is served under; NAME
      (default Pallomar.exe) is the program the updater starts afterwards. PUBLIC
      (default: SECRET with .pub for its extension) checks the signed result.

  renovo-publish verify --key PUBLIC [--serial N] [--complete] FOLDER
      Says what an installation holding PUBLIC (and a list of Serial N) would say of the
      published FOLDER: the signature, the names, every file's size and digest. Listed
      files missing from FOLDER are taken to be on the server already, unless --complete.

Upload the out folder's files first and UpdList.xml with UpdList.xml.minisig last.
Exit status: 0 done, 1 refused or failed, 2 wrong use.
)";

struct Arguments
{
    std::string command;
    std::map<std::string, std::string> values;
    std::vector<std::string> flags;
    std::vector<std::string> positional;

    std::optional<std::string> value(const std::string& name) const
    {
        const auto found = values.find(name);
        return found == values.end() ? std::nullopt : std::optional(found->second);
    }
    bool flag(const std::string& name) const { return std::find(flags.begin(), flags.end(), name) != flags.end(); }
};

int wrongUse(const std::string& why)
{
    std::cerr << "renovo-publish: " << why << "\n(renovo-publish --help tells how to use it)\n";
    return 2;
}

int failure(const std::string& why)
{
    std::cerr << "renovo-publish: " << why << "\n";
    return 1;
}

std::optional<Arguments> parse(int argc, char** argv, const std::vector<std::string>& valued, std::string& error)
{
    Arguments arguments;
    arguments.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            arguments.positional.push_back(arg);
        } else if (std::find(valued.begin(), valued.end(), arg) != valued.end()) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            arguments.values[arg] = argv[++i];
        } else if (arg == "--no-password" || arg == "--force" || arg == "--complete") {
            arguments.flags.push_back(arg);
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    return arguments;
}

std::optional<list_signature::PublicKey> readPublicKey(const fs::path& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the public key " + path.string();
        return std::nullopt;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto key = list_signature::parsePublicKey(text);
    if (!key)
        error = path.string() + " holds no minisign public key";
    return key;
}

int keygen(const Arguments& arguments)
{
    const auto pub = arguments.value("--pub");
    const auto key = arguments.value("--key");
    if (!pub || !key)
        return wrongUse("keygen needs --pub and --key");
    if (minisign_cli::program().empty())
        return failure("minisign is not installed (Debian: apt-get install minisign)");
    std::vector<std::string> args {"-G", "-p", *pub, "-s", *key};
    if (arguments.flag("--no-password"))
        args.push_back("-W");
    if (arguments.flag("--force"))
        args.push_back("-f");
    if (minisign_cli::run(args) != 0)
        return failure("minisign could not make the key pair");
    std::cout << "public key: " << *pub << " (install it as " << updater_texts::publicKeyFile
              << ")\nsecret key: " << *key << " (keep it off the servers)\n";
    return 0;
}

void removeList(const fs::path& out)
{
    std::error_code ignored;
    fs::remove(out / updater_texts::localListFile, ignored);
    fs::remove(out / (std::string(updater_texts::localListFile) + updater_texts::signatureSuffix), ignored);
}

int publish(const Arguments& arguments)
{
    const auto from = arguments.value("--from");
    const auto url = arguments.value("--url");
    const auto out = arguments.value("--out");
    const auto secret = arguments.value("--key");
    if (!from || !url || !out || !secret)
        return wrongUse("release needs --from, --url, --out and --key");
    if (minisign_cli::program().empty())
        return failure("minisign is not installed (Debian: apt-get install minisign)");
    const fs::path publicPath = arguments.value("--pub").value_or(fs::path(*secret).replace_extension(".pub").string());
    std::string error;
    const auto key = readPublicKey(publicPath, error);
    if (!key)
        return failure(error + " (name the public key with --pub)");

    release::Options options;
    options.from = *from;
    if (const auto previous = arguments.value("--previous"))
        options.previous = fs::path(*previous);
    options.url = *url;
    options.runApp = arguments.value("--run-app").value_or("Pallomar.exe");
    release::Plan plan;
    try {
        plan = release::plan(options);
        release::writeFiles(plan, options.from, *out);
    } catch (const release::ReleaseError& refused) {
        return failure(refused.what());
    }

    const fs::path list = fs::path(*out) / updater_texts::localListFile;
    {
        std::ofstream file(list, std::ios::binary | std::ios::trunc);
        file << release::listXml(plan);
        if (!file.flush())
            return failure("cannot write " + list.string());
    }
    // Signing comes last: the signature vouches for the list exactly as it was written.
    const std::string comment = "update list, serial " + std::to_string(plan.serial);
    if (minisign_cli::run({"-S", "-s", *secret, "-m", list.string(), "-x",
            list.string() + updater_texts::signatureSuffix, "-t", comment})
        != 0) {
        removeList(*out);
        return failure("minisign could not sign the list; nothing is published");
    }
    const published_check::Report report = published_check::check(*out, *key, {plan.serial, false});
    if (!report.ok() || report.filesChecked != plan.changed.size()) {
        removeList(*out);
        for (const std::string& problem : report.problems)
            std::cerr << "  " << problem << "\n";
        return failure("the signed list does not verify with " + publicPath.string() + "; nothing is published");
    }

    std::cout << "serial " << plan.serial << ": " << plan.entries.size() << " files listed, " << plan.changed.size()
              << " new or changed in " << *out << "\n";
    for (const std::size_t index : plan.changed)
        std::cout << "  publish  " << plan.entries[index].name << "  Ver " << plan.entries[index].ver << "\n";
    for (const std::string& name : plan.skipped)
        std::cout << "  skip     " << name << "  (written at run time, or the installation's key)\n";
    for (const std::string& name : plan.dropped)
        std::cout << "  dropped  " << name << "  (no longer listed; installed copies stay as they are)\n";
    std::cout << "upload the files first, then " << updater_texts::localListFile << " and "
              << updater_texts::localListFile << updater_texts::signatureSuffix << "\n";
    return 0;
}

int verify(const Arguments& arguments)
{
    const auto keyPath = arguments.value("--key");
    if (!keyPath || arguments.positional.size() != 1)
        return wrongUse("verify needs --key and one folder");
    published_check::Options options;
    options.complete = arguments.flag("--complete");
    if (const auto serial = arguments.value("--serial")) {
        const auto [end, error]
            = std::from_chars(serial->data(), serial->data() + serial->size(), options.adoptedSerial);
        if (error != std::errc() || end != serial->data() + serial->size())
            return wrongUse("--serial needs a decimal number");
    }
    std::string error;
    const auto key = readPublicKey(*keyPath, error);
    if (!key)
        return failure(error);
    const published_check::Report report = published_check::check(arguments.positional.front(), *key, options);
    for (const std::string& note : report.notes)
        std::cout << "ok       " << note << "\n";
    for (const std::string& problem : report.problems)
        std::cout << "refused  " << problem << "\n";
    std::cout << (report.ok() ? "the updater would take this list; " : "the updater would not install this; ")
              << report.filesChecked << " files checked\n";
    return report.ok() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return wrongUse("no command");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << usage;
        return 0;
    }
    std::string error;
    const auto arguments = parse(
        argc, argv, {"--pub", "--key", "--from", "--previous", "--url", "--out", "--run-app", "--serial"}, error);
    if (!arguments)
        return wrongUse(error);
    if (command == "keygen")
        return keygen(*arguments);
    if (command == "release")
        return publish(*arguments);
    if (command == "verify")
        return verify(*arguments);
    return wrongUse("unknown command " + command);
}
