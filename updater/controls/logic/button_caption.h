#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xpcontrols {

// The access key of a caption (UTF-8): the character after the first "&" that does not start a
// doubled "&&" (a literal ampersand), lower-cased. Empty when the caption has none.
std::string accessKeyOf(std::string_view caption);

// The caption as it reads: access-key marks dropped, "&&" as one "&" (the name a screen
// reader speaks).
std::string spokenCaption(std::string_view caption);

// Caption of a button newly placed beside `existing` ones: the first of "&OK", "&Cancel" and
// "&Apply" that no other button carries yet, else the control's own name.
std::string newButtonCaption(const std::vector<std::string>& existing, const std::string& controlName);

} // namespace xpcontrols
