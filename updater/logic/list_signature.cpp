#include "updater/logic/list_signature.h"

#include <sodium.h>

#include <algorithm>
#include <string>
#include <vector>

namespace list_signature {
namespace {

constexpr std::string_view untrustedPrefix = "untrusted comment: ";
constexpr std::string_view trustedPrefix = "trusted comment: ";

bool ready()
{
    static const bool initialised = sodium_init() >= 0;
    return initialised;
}

// The lines of a small text file, each without its line end ("\n" or "\r\n").
std::vector<std::string_view> linesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// Base64 as minisign writes it: the standard alphabet, padded to whole groups of four, with
// nothing before or after it on its line. libsodium 1.0.18's decoder takes every byte from
// 0x80 up for '/', so the alphabet is checked here first: a file that minisign refuses
// ("base64 conversion failed") is refused, and no other bytes decode to the same signature.
bool isBase64Text(std::string_view text)
{
    if (text.empty() || text.size() % 4 != 0)
        return false;
    std::size_t padding = 0;
    while (padding < 2 && text[text.size() - 1 - padding] == '=')
        ++padding;
    text.remove_suffix(padding);
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
    });
}

// Base64 that decodes to exactly `size` bytes (libsodium also refuses misplaced padding and
// unused bits that are not zero).
std::optional<std::vector<unsigned char>> decoded(std::string_view text, std::size_t size)
{
    if (!isBase64Text(text))
        return std::nullopt;
    std::vector<unsigned char> bytes(size + 1);
    std::size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), nullptr, &length, &end,
            sodium_base64_VARIANT_ORIGINAL)
            != 0
        || end != text.data() + text.size() || length != size)
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

} // namespace

std::optional<PublicKey> parsePublicKey(std::string_view fileText)
{
    if (!ready())
        return std::nullopt;
    std::vector<std::string_view> lines = linesOf(fileText);
    if (!lines.empty() && lines.front().starts_with(untrustedPrefix))
        lines.erase(lines.begin());
    if (lines.empty())
        return std::nullopt;
    // "Ed", the key id, the key.
    const auto bytes = decoded(lines.front(), 2 + 8 + crypto_sign_PUBLICKEYBYTES);
    if (!bytes || (*bytes)[0] != 'E' || (*bytes)[1] != 'd')
        return std::nullopt;
    PublicKey key;
    std::copy(bytes->begin() + 2, bytes->begin() + 10, key.keyId.begin());
    std::copy(bytes->begin() + 10, bytes->end(), key.key.begin());
    return key;
}

Verdict verify(const PublicKey& key, std::string_view message, std::string_view signatureFile)
{
    if (!ready())
        return Verdict::Invalid;
    const std::vector<std::string_view> lines = linesOf(signatureFile);
    if (lines.size() < 4 || !lines[0].starts_with(untrustedPrefix) || !lines[2].starts_with(trustedPrefix))
        return Verdict::Malformed;
    // The algorithm ("Ed" plain, "ED" over the hash), the key id, the signature.
    const auto signature = decoded(lines[1], 2 + 8 + crypto_sign_BYTES);
    const auto globalSignature = decoded(lines[3], crypto_sign_BYTES);
    if (!signature || !globalSignature || (*signature)[0] != 'E' || ((*signature)[1] != 'd' && (*signature)[1] != 'D'))
        return Verdict::Malformed;
    if (!std::equal(key.keyId.begin(), key.keyId.end(), signature->begin() + 2))
        return Verdict::OtherKey;
    const unsigned char* sig = signature->data() + 10;

    std::array<unsigned char, crypto_generichash_BYTES_MAX> hash {};
    const auto* signedBytes = reinterpret_cast<const unsigned char*>(message.data());
    std::size_t signedLength = message.size();
    if ((*signature)[1] == 'D') {
        crypto_generichash(hash.data(), hash.size(), signedBytes, signedLength, nullptr, 0);
        signedBytes = hash.data();
        signedLength = hash.size();
    }
    if (crypto_sign_verify_detached(sig, signedBytes, signedLength, key.key.data()) != 0)
        return Verdict::Invalid;
    // The trusted comment is signed together with the signature.
    const std::string_view comment = lines[2].substr(trustedPrefix.size());
    std::vector<unsigned char> sigAndComment(sig, sig + crypto_sign_BYTES);
    sigAndComment.insert(sigAndComment.end(), comment.begin(), comment.end());
    if (crypto_sign_verify_detached(globalSignature->data(), sigAndComment.data(), sigAndComment.size(), key.key.data())
        != 0)
        return Verdict::Invalid;
    return Verdict::Valid;
}

} // namespace list_signature
