#include "updater/controls/logic/button_caption.h"

namespace xpcontrols {
namespace {

// Length of the UTF-8 sequence that starts with `lead`; a stray byte counts as one.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

} // namespace

std::string accessKeyOf(std::string_view caption)
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i; // "&&" is a literal ampersand
            continue;
        }
        const unsigned char lead = static_cast<unsigned char>(caption[i + 1]);
        if (lead < 0x80) {
            const char c = static_cast<char>(lead >= 'A' && lead <= 'Z' ? lead - 'A' + 'a' : lead);
            return std::string(1, c);
        }
        return std::string(caption.substr(i + 1, sequenceLength(lead)));
    }
    return {};
}

std::string spokenCaption(std::string_view caption)
{
    std::string spoken;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i; // the mark goes; of "&&" the second stays
        else if (caption[i] == '&')
            continue; // a trailing mark marks nothing
        spoken += caption[i];
    }
    return spoken;
}

std::string newButtonCaption(const std::vector<std::string>& existing, const std::string& controlName)
{
    std::string joined;
    for (const std::string& caption : existing)
        joined += "|" + caption + "|";
    for (const char* candidate : {"&OK", "&Cancel", "&Apply"}) {
        if (joined.find("|" + std::string(candidate) + "|") == std::string::npos)
            return candidate;
    }
    return controlName;
}

} // namespace xpcontrols
