#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The SHA-256 digests that signed update lists give for their files.
namespace file_digest {

using Sha256 = std::array<unsigned char, 32>;

// 64 hexadecimal digits, in either case; nothing for anything else.
std::optional<Sha256> parseHex(std::string_view text);
// 64 lower-case hexadecimal digits.
std::string toHex(const Sha256& digest);

// A digest computed piece by piece as a file arrives. The system's crypto library does the
// work with the processor's SHA instructions, several times faster than plain C: hashing
// must not slow a download noticeably.
class Sha256Hasher
{
public:
    Sha256Hasher();
    ~Sha256Hasher();
    Sha256Hasher(const Sha256Hasher&) = delete;
    Sha256Hasher& operator=(const Sha256Hasher&) = delete;

    void add(std::string_view bytes);
    // The digest of everything added since the start or the last reset.
    Sha256 finish();
    void reset();

private:
    void* m_context;
};

Sha256 sha256(std::string_view bytes);

} // namespace file_digest
