#pragma once

#include <string>

// The skin engine is a shared library beside the programs, found at run time, so a program
// folder without it fails clearly instead of refusing to start for a missing link.
namespace skin_engine {

// The engine's file name on this platform ("SkinH.dll" on Windows).
std::string libraryFileName();

// Loads the engine from `folder` and calls its SkinH_AttachEx(skinFile, password) once.
// Returns "" on success, else the platform's message why the library or the call could not
// be found. The call's own result is not examined.
std::string attach(const std::string& folder, const std::string& skinFile, const std::string& password);

} // namespace skin_engine
