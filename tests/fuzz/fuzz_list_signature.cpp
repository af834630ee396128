// Signatures and public key files of update lists: any bytes are judged without harm. A
// signature that verifies binds the exact bytes of the list, and no bit of the signature
// file or of the key file can flip without it failing, except in the untrusted comments
// and after the lines that are read. A key file that parses keeps its key when its
// comment line goes.

#include "updater/logic/list_signature.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>

namespace {

// The repository's test public key; the seed corpus holds its signatures of `list`.
constexpr const char* testKey
    = "untrusted comment: test key\nRWQIkbFLc9zlXUcd7vt676vjlqUbalJf/iCg6fcKfukrkDCwPBDZaq7t\n";
constexpr const char* list = "<UpdateList Serial=\"1\"/>\n";
constexpr std::string_view untrusted = "untrusted comment: ";

// The bytes of `text` that are read: from the end of the untrusted comment (its line end
// included) up to the end of line `lastLine`, 0-based. Empty when there are fewer lines.
std::pair<std::size_t, std::size_t> readPart(const std::string& text, int lastLine)
{
    std::size_t from = 0;
    if (text.starts_with(untrusted))
        from = text.find('\n');
    std::size_t end = 0;
    for (int line = 0; line <= lastLine; ++line) {
        end = text.find('\n', end);
        if (end == std::string::npos)
            return {from, text.size()};
        ++end;
    }
    return {from, end};
}

bool verifies(const list_signature::PublicKey& key, const std::string& signature)
{
    return list_signature::verify(key, list, signature) == list_signature::Verdict::Valid;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    static const auto key = list_signature::parsePublicKey(testKey);
    if (!key)
        std::abort();
    if (verifies(*key, bytes)) {
        std::string changed = list;
        changed[changed.size() / 2] ^= 1;
        if (list_signature::verify(*key, changed, bytes) != list_signature::Verdict::Invalid)
            std::abort();
        // Every bit of the signature lines, the trusted comment and the line ends between,
        // once for each such text (a new untrusted comment makes no new one).
        const auto [from, to] = readPart(bytes, 3);
        static std::set<std::string> flippedAlready;
        for (std::size_t at = flippedAlready.insert(bytes.substr(from, to - from)).second ? from : to; at < to; ++at)
            for (int bit = 0; bit < 8; ++bit) {
                std::string flipped = bytes;
                flipped[at] = static_cast<char>(flipped[at] ^ (1 << bit));
                if (verifies(*key, flipped))
                    std::abort();
            }
        // Every bit of the key line, once.
        static bool keyFlipped = false;
        const std::string keyText = testKey;
        const auto [keyFrom, keyTo] = readPart(keyText, 1);
        for (std::size_t at = std::exchange(keyFlipped, true) ? keyTo : keyFrom; at < keyTo; ++at)
            for (int bit = 0; bit < 8; ++bit) {
                std::string flipped = keyText;
                flipped[at] = static_cast<char>(flipped[at] ^ (1 << bit));
                const auto other = list_signature::parsePublicKey(flipped);
                if (other && verifies(*other, bytes))
                    std::abort();
            }
    }
    if (const auto parsed = list_signature::parsePublicKey(bytes)) {
        const std::size_t lineEnd = bytes.find('\n');
        if (bytes.starts_with(untrusted) && lineEnd != std::string::npos) {
            const auto bare = list_signature::parsePublicKey(bytes.substr(lineEnd + 1));
            if (!bare || bare->key != parsed->key || bare->keyId != parsed->keyId)
                std::abort();
        }
    }
    return 0;
}
