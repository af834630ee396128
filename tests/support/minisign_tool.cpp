#include "tests/support/minisign_tool.h"

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace minisign_tool {

std::filesystem::path testPublicKey()
{
    return std::filesystem::path(TEST_SOURCE_DIR) / "tools/test-keys/test-update-key.pub";
}

std::filesystem::path testSecretKey()
{
    return std::filesystem::path(TEST_SOURCE_DIR) / "tools/test-keys/test-update-key.key";
}

std::string program()
{
    std::stringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(path, folder, ':')) {
        const std::string candidate = folder + "/minisign";
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

void makeKeyPair(const std::filesystem::path& folder, const std::string& name)
{
    ChildProcess tool(program(),
        {"-G", "-W", "-f", "-p", (folder / (name + ".pub")).string(), "-s", (folder / (name + ".key")).string()});
    tool.wait();
}

std::string sign(const std::string& bytes, const std::filesystem::path& secretKey, bool legacy)
{
    TempFolder scratch;
    scratch.write("list.xml", bytes);
    std::vector<std::string> args {
        "-S", "-s", secretKey.string(), "-m", (scratch / "list.xml").string(), "-t", "signed by the tests"};
    if (legacy)
        args.push_back("-l");
    ChildProcess tool(program(), args);
    if (tool.wait() != 0)
        return {};
    return scratch.read("list.xml.minisig");
}

bool verifies(const std::string& message, const std::string& signatureFile, const std::string& publicKeyFile)
{
    TempFolder scratch;
    scratch.write("list.xml", message);
    scratch.write("list.xml.minisig", signatureFile);
    scratch.write("key.pub", publicKeyFile);
    ChildProcess tool(program(),
        {"-V", "-q", "-p", (scratch / "key.pub").string(), "-m", (scratch / "list.xml").string(), "-x",
            (scratch / "list.xml.minisig").string()});
    return tool.wait() == 0;
}

} // namespace minisign_tool
