#include "updater/logic/list_trust.h"

#include "updater/logic/update_list.h"
#include "updater/logic/updater_texts.h"

namespace list_trust {

namespace texts = updater_texts;

Trust read(const platform::ContainedFolder& folder, const std::string& localListFile)
{
    Trust trust;
    // A link or anything else at the key's name counts as a key that cannot be read: the
    // installation asked for signatures, and gets none it cannot check.
    trust.keyPresent = folder.kind(texts::publicKeyFile) != platform::ContainedFolder::Kind::Missing;
    // A key file is two short lines: a pipe, a device or anything longer is no key.
    constexpr std::size_t keyFileMaxBytes = 1023;
    if (trust.keyPresent)
        if (const auto text = folder.read(texts::publicKeyFile, keyFileMaxBytes))
            trust.key = list_signature::parsePublicKey(*text);
    modXml::XmlDocument local;
    modXml::LoadXml(folder.path() + "/" + localListFile, local);
    // A Serial that cannot be read is never taken as 0: that would let any old list in.
    if (local.parsed() && !update_list::readSerial(local.document, trust.adoptedSerial)) {
        trust.adoptedSerial = 0;
        trust.adoptedSerialUnreadable = true;
    }
    return trust;
}

std::optional<std::string> signatureRefusal(
    const Trust& trust, std::string_view list, const std::optional<std::string>& signature)
{
    if (!trust.keyPresent)
        return std::nullopt;
    if (!trust.key)
        return std::string(texts::refusedBadKeyFile);
    if (!signature)
        return std::string(texts::refusedNoSignature);
    switch (list_signature::verify(*trust.key, list, *signature)) {
    case list_signature::Verdict::Valid:
        return std::nullopt;
    case list_signature::Verdict::Malformed:
        return std::string(texts::refusedMalformedSignature);
    case list_signature::Verdict::OtherKey:
        return std::string(texts::refusedOtherKey);
    case list_signature::Verdict::Invalid:
        break;
    }
    return std::string(texts::refusedBadSignature);
}

std::optional<std::string> contentRefusal(const Trust& trust, const modXml::XmlDocument& list)
{
    if (!trust.keyPresent)
        return std::nullopt;
    if (auto problem = update_list::signedListProblem(list))
        return problem;
    if (trust.adoptedSerialUnreadable)
        return std::string(texts::refusedUnreadableLocalSerial);
    // A replayed old list would take the installation back to files it has replaced.
    std::uint64_t serial = 0;
    update_list::readSerial(list.document, serial);
    if (serial < trust.adoptedSerial)
        return texts::refusedOldSerialPrefix + std::to_string(serial) + texts::refusedOldSerialMiddle
            + std::to_string(trust.adoptedSerial) + texts::refusedOldSerialSuffix;
    return std::nullopt;
}

} // namespace list_trust
