#pragma once

#include <filesystem>
#include <string>

// The minisign tool as a maker uses it: key pairs and signatures made by the real program,
// so that the tests check the updater against what makers will hand it.
namespace minisign_tool {

// The repository's test key pair (public, for tests and the demo only).
std::filesystem::path testPublicKey();
std::filesystem::path testSecretKey();

// The tool's path; empty when it is not installed.
std::string program();

// A new key pair without a password in `folder` ("<name>.pub", "<name>.key").
void makeKeyPair(const std::filesystem::path& folder, const std::string& name);

// The ".minisig" file of `bytes` signed with `secretKey`; `legacy` signs the bytes
// themselves instead of their hash, as older versions of the tool did. Empty on failure.
std::string sign(const std::string& bytes, const std::filesystem::path& secretKey, bool legacy = false);

// Whether the tool verifies `signatureFile` over `message` with the public key file
// `publicKeyFile` (its text), as "minisign -V" does for anyone checking a list.
bool verifies(const std::string& message, const std::string& signatureFile, const std::string& publicKeyFile);

} // namespace minisign_tool
