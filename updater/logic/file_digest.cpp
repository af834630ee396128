#include "updater/logic/file_digest.h"

#include <openssl/evp.h>

#include <fstream>
#include <vector>

namespace file_digest {
namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

EVP_MD_CTX* context(void* handle)
{
    return static_cast<EVP_MD_CTX*>(handle);
}

} // namespace

std::optional<Sha256> parseHex(std::string_view text)
{
    Sha256 digest {};
    if (text.size() != 2 * digest.size())
        return std::nullopt;
    for (std::size_t i = 0; i < digest.size(); ++i) {
        const int high = hexValue(text[2 * i]);
        const int low = hexValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        digest[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return digest;
}

std::string toHex(const Sha256& digest)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char byte : digest) {
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 0x0F]);
    }
    return text;
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
