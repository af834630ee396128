#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
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

struct FileFigures
{
    std::int64_t size = 0;
    Sha256 sha256 {};
};

// The length and digest of the file at `path`, read in blocks; the bytes also go to `copy`
// when one is given, so the figures describe exactly what was copied. Nothing when the file
// cannot be read or the copy cannot be written.
std::optional<FileFigures> measureFile(const std::string& path, std::ostream* copy = nullptr);

} // namespace file_digest
