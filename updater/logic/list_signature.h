#pragma once

#include <array>
#include <optional>
#include <string_view>

// Signatures of update lists in the minisign format (Ed25519), so that a maker signs a list
// with the minisign tool and the updater needs nothing but the public key file.
namespace list_signature {

struct PublicKey
{
    std::array<unsigned char, 8> keyId {};
    std::array<unsigned char, 32> key {};
};

// A public key file as "minisign -G" writes it: an untrusted comment line and the key in
// base64 (the comment may be missing). Nothing when it holds no Ed25519 key.
std::optional<PublicKey> parsePublicKey(std::string_view fileText);

enum class Verdict {
    Valid,
    Malformed, // not a minisign signature file
    OtherKey, // made by a key other than ours
    Invalid, // made by our key id, but the signature or its trusted comment does not verify
};

// Checks a ".minisig" file over the exact bytes of `message`: both the signature of the
// message (plain or, as minisign makes by default, over its BLAKE2b-512 hash) and the
// signature of the trusted comment.
Verdict verify(const PublicKey& key, std::string_view message, std::string_view signatureFile);

} // namespace list_signature
