#pragma once

#include <string>

// The TV shell's skin: which skin file is in force at start, and what the skin dialog's
// answer does. The window applies the path these name with the skin engine.
namespace tv_skin {

inline constexpr const char* defaultSkin = "时尚星系.she";
inline constexpr const char* section = "Skin";
inline constexpr const char* key = "Name";

// Program folder + "/skin/" + name.
std::string skinPath(const std::string& name);

// The skin name in force at start. A first start (no "Setting.ini") stores the default
// skin's name, creating the settings file. A stored name that is not a plain file name or
// names no file in the skin folder gives the default skin, so the window is never left unskinned by a stale
// entry; the name written back at shutdown is then the default's.
std::string startSkinName();

// What the skin dialog's answer does.
struct Choice
{
    bool changes = false; // false: the dialog was cancelled, nothing changes
    bool invalid = false; // no such file, or a name the settings file cannot hold: tell the user
    std::string applyPath; // the skin file to apply
    std::string skinName; // the new SkinName
};

// `chosenPath` is the dialog's full path, empty when it was cancelled. An existing file is
// applied where it lies and only its file name becomes SkinName; a missing one, or one whose
// name the settings file cannot hold, brings the default skin back.
Choice choose(const std::string& chosenPath);

} // namespace tv_skin
