#include "common/logic/version_number.h"

#include <charconv>
#include <iterator>
#include <limits>
#include <string>
#include <system_error>

namespace version_number {
namespace {

bool skipped(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The characters that take part in the number, with the skipped ones left out.
class Scanner
{
public:
    explicit Scanner(std::string_view text)
        : m_text(text)
    { }
    char peek()
    {
        while (m_pos < m_text.size() && skipped(m_text[m_pos]))
            ++m_pos;
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }
    void take() { ++m_pos; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

Reading read(std::string_view text)
{
    Scanner in(text);
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        in.take();
    }

    // Mantissa digits without the point; `pointShift` says how many of them follow it.
    std::string digits;
    long long pointShift = 0;
    bool seenPoint = false;
    for (char c = in.peek(); isDigit(c) || (c == '.' && !seenPoint); c = in.peek()) {
        if (c == '.')
            seenPoint = true;
        else {
            digits.push_back(c);
            if (seenPoint)
                ++pointShift;
        }
        in.take();
    }
    if (digits.find_first_not_of('0') == std::string::npos)
        return {};

    // An exponent counts only with at least one digit after the marker and its sign.
    long long exponent = 0;
    if (in.peek() == 'e' || in.peek() == 'E') {
        in.take();
        bool negativeExponent = false;
        if (in.peek() == '+' || in.peek() == '-') {
            negativeExponent = in.peek() == '-';
            in.take();
        }
        constexpr long long exponentCap = 1000000000LL;
        for (char c = in.peek(); isDigit(c); c = in.peek()) {
            // Beyond the cap the result is overflow or zero either way; stop growing.
            if (exponent < exponentCap)
                exponent = exponent * 10 + (c - '0');
            in.take();
        }
        if (negativeExponent)
            exponent = -exponent;
    }

    const std::string number = digits + "e" + std::to_string(exponent - pointShift);
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Out of range either way: too large is an overflow, too small is zero.
        const long long leadingZeros = static_cast<long long>(digits.find_first_not_of('0'));
        const long long magnitude = static_cast<long long>(digits.size()) - leadingZeros - pointShift + exponent;
        if (magnitude > 0)
            return {
                negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity(), true};
        return {};
    }
    (void)end;
    return {negative ? -value : value, false};
}

bool serverIsNewer(std::string_view installed, std::string_view server)
{
    return read(installed).value < read(server).value;
}

std::string recordable(std::string_view version, std::size_t maxChars)
{
    std::string text;
    for (char c : version)
        if (c != '\r' && c != '\n')
            text.push_back(c);
    if (text.size() <= maxChars)
        return text;
    const Reading number = read(text);
    if (number.overflow)
        return number.value > 0 ? "1e999" : "-1e999";
    char shortest[32];
    const auto [end, error] = std::to_chars(std::begin(shortest), std::end(shortest), number.value);
    return error == std::errc() ? std::string(shortest, end) : std::string();
}

} // namespace version_number
