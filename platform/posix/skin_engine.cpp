#include "platform/skin_engine.h"

#include "platform/program_folder.h"

#include <dlfcn.h>

namespace skin_engine {

std::string libraryFileName()
{
    return "libSkinH.so";
}

std::string attach(const std::string& folder, const std::string& skinFile, const std::string& password)
{
    // The engine stays loaded for the life of the process: it skins every window from now on.
    void* library = ::dlopen(platform::joinPath(folder, libraryFileName()).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* error = ::dlerror();
        return error ? error : "cannot load " + libraryFileName();
    }
    using AttachEx = int (*)(const char* skinFile, const char* password);
    auto* attachEx = reinterpret_cast<AttachEx>(::dlsym(library, "SkinH_AttachEx"));
    if (!attachEx) {
        const char* error = ::dlerror();
        return error ? error : "SkinH_AttachEx not found";
    }
    attachEx(skinFile.c_str(), password.c_str());
    return {};
}

} // namespace skin_engine
