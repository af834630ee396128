// Signatures and public key files of update lists: any bytes are judged without harm; a
// signature that verifies binds the exact bytes of the list (one byte changed and it no
// longer verifies), and a key file that parses keeps its key when its comment line goes.

#include "list_signature.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The repository's test public key; the seed corpus holds its signatures of `list`.
constexpr const char* testKey
    = "untrusted comment: test key\nRWQIkbFLc9zlXUcd7vt676vjlqUbalJf/iCg6fcKfukrkDCwPBDZaq7t\n";
constexpr const char* list = "<UpdateList Serial=\"1\"/>\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    static const auto key = list_signature::parsePublicKey(testKey);
    if (!key)
        std::abort();
    if (list_signature::verify(*key, list, bytes) == list_signature::Verdict::Valid) {
        std::string changed = list;
        changed[changed.size() / 2] ^= 1;
        if (list_signature::verify(*key, changed, bytes) != list_signature::Verdict::Invalid)
            std::abort();
    }
    if (const auto parsed = list_signature::parsePublicKey(bytes)) {
        const std::size_t lineEnd = bytes.find('\n');
        if (bytes.starts_with("untrusted comment: ") && lineEnd != std::string::npos) {
            const auto bare = list_signature::parsePublicKey(bytes.substr(lineEnd + 1));
            if (!bare || bare->key != parsed->key || bare->keyId != parsed->keyId)
                std::abort();
        }
    }
    return 0;
}
