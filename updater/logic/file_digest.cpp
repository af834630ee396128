#include "updater/logic/file_digest.h"

#include <openssl/evp.h>
#include <sodium.h>

#include <fstream>
#include <vector>

namespace file_digest {
namespace {

EVP_MD_CTX* context(void* handle)
{
    return static_cast<EVP_MD_CTX*>(handle);
}

} // namespace

std::optional<Sha256> parseHex(std::string_view text)
{
    Sha256 digest {};
    std::size_t length = 0;
    // Exactly 64 hex digits in either case: libsodium stops at anything else, and a text it
    // did not read to the end fails.
    if (text.size() != 2 * digest.size()
        || sodium_hex2bin(digest.data(), digest.size(), text.data(), text.size(), nullptr, &length, nullptr) != 0
        || length != digest.size())
        return std::nullopt;
    return digest;
}

std::string toHex(const Sha256& digest)
{
    char text[2 * std::tuple_size_v<Sha256> + 1];
    return sodium_bin2hex(text, sizeof text, digest.data(), digest.size());
}

Sha256Hasher::Sha256Hasher()
    : m_context(EVP_MD_CTX_new())
{
    reset();
}

Sha256Hasher::~Sha256Hasher()
{
    EVP_MD_CTX_free(context(m_context));
}

void Sha256Hasher::add(std::string_view bytes)
{
    EVP_DigestUpdate(context(m_context), bytes.data(), bytes.size());
}

Sha256 Sha256Hasher::finish()
{
    Sha256 digest {};
    unsigned int length = 0;
    EVP_DigestFinal_ex(context(m_context), digest.data(), &length);
    reset();
    return digest;
}

void Sha256Hasher::reset()
{
    EVP_DigestInit_ex(context(m_context), EVP_sha256(), nullptr);
}

Sha256 sha256(std::string_view bytes)
{
    Sha256Hasher hasher;
    hasher.add(bytes);
    return hasher.finish();
}

} // namespace file_digest

namespace file_digest {

std::optional<FileFigures> measureFile(const std::string& path, std::ostream* copy)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    Sha256Hasher hasher;
    FileFigures figures;
    std::vector<char> buffer(1 << 20);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::streamsize got = in.gcount();
        if (got <= 0)
            break;
        hasher.add(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        figures.size += got;
        if (copy && !copy->write(buffer.data(), got))
            return std::nullopt;
    }
    if (in.bad())
        return std::nullopt;
    figures.sha256 = hasher.finish();
    return figures;
}

} // namespace file_digest
