// A skin engine that only records how it was called, for the tests of the updater's loader.

#include <string>

namespace {
std::string lastSkinFile;
std::string lastPassword;
int calls = 0;
} // namespace

extern "C" {

__attribute__((visibility("default"))) int SkinH_AttachEx(const char* skinFile, const char* password)
{
    lastSkinFile = skinFile;
    lastPassword = password;
    ++calls;
    return 0;
}

__attribute__((visibility("default"))) const char* recordedSkinFile()
{
    return lastSkinFile.c_str();
}

__attribute__((visibility("default"))) int recordedCalls()
{
    return calls;
}
}
