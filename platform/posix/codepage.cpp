#include "platform/codepage.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace platform {
namespace {

constexpr std::string_view replacementUtf8 = "\xEF\xBF\xBD";

class Converter
{
public:
    Converter(const char* to, const char* from)
        : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; on an invalid or incomplete sequence appends `replacement`
    // and skips one input byte.
    std::string run(std::string_view input, std::string_view replacement)
    {
        std::string out;
        out.reserve(input.size() * 3 / 2 + 4);
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t rc = iconv(m_cd, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (rc != static_cast<size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: replace one byte and resynchronise on the next.
            out.append(replacement);
            ++in;
            --inLeft;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        iconv(m_cd, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        return out;
    }

private:
    iconv_t m_cd;
};

// Converters are made per call: the programs are single-threaded but tests and the
// portal server are not, and iconv descriptors must not be shared between threads.
bool isAscii(std::string_view text)
{
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

} // namespace

std::string ansiToUtf8(std::string_view ansi)
{
    if (isAscii(ansi))
        return std::string(ansi);
    return Converter("UTF-8", "GBK").run(ansi, replacementUtf8);
}

std::string utf8ToAnsi(std::string_view utf8)
{
    if (isAscii(utf8))
        return std::string(utf8);
    // First make the input valid UTF-8, so that an invalid byte costs one "?" and
    // a character GBK lacks costs one "?", never a stray half.
    const std::string clean = sanitizeUtf8(utf8);
    std::string out;
    Converter converter("GBK", "UTF-8");
    size_t i = 0;
    while (i < clean.size()) {
        const unsigned char lead = static_cast<unsigned char>(clean[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const std::string_view character(clean.data() + i, length);
        if (length == 1) {
            out.push_back(static_cast<char>(lead));
        } else if (character == replacementUtf8) {
            out.push_back('?');
        } else {
            // iconv drops some characters it cannot map (tags, for one) instead of failing:
            // those must not vanish either.
            const std::string converted = converter.run(character, "\x01");
            out.append(converted.empty() || converted.find('\x01') != std::string::npos ? std::string("?") : converted);
        }
        i += length;
    }
    return out;
}

std::string sanitizeUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    size_t i = 0;
    const auto continuation
        = [&](size_t at) { return at < bytes.size() && (static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80; };
    while (i < bytes.size()) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        size_t length = 0;
        unsigned minimum = 0;
        unsigned codePoint = 0;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        } else if (c >= 0xC2 && c < 0xE0) {
            length = 2, minimum = 0x80, codePoint = c & 0x1F;
        } else if (c >= 0xE0 && c < 0xF0) {
            length = 3, minimum = 0x800, codePoint = c & 0x0F;
        } else if (c >= 0xF0 && c < 0xF5) {
            length = 4, minimum = 0x10000, codePoint = c & 0x07;
        }
        bool valid = length != 0;
        for (size_t k = 1; valid && k < length; ++k) {
            valid = continuation(i + k);
            if (valid)
                codePoint = (codePoint << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        }
        valid = valid && codePoint >= minimum && codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
        if (valid) {
            out.append(bytes.substr(i, length));
            i += length;
        } else {
            out.append(replacementUtf8);
            ++i;
        }
    }
    return out;
}

std::optional<std::string> convertToUtf8(std::string_view bytes, const char* iconvName)
{
    try {
        return Converter("UTF-8", iconvName).run(bytes, replacementUtf8);
    } catch (const std::runtime_error&) {
        return std::nullopt;
    }
}

std::string latin1ToUtf8(std::string_view latin1)
{
    std::string out;
    out.reserve(latin1.size());
    for (unsigned char c : latin1) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

} // namespace platform
