// Loaded into the real updater with LD_PRELOAD: every rename onto the local list fails
// with EIO, as a failing disk would make it; every other rename is the real one.

#include <cerrno>
#include <cstring>
#include <dlfcn.h>

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to)
{
    using Real = int (*)(int, const char*, int, const char*);
    static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "renameat"));
    const char* leaf = std::strrchr(to, '/');
    if (std::strcmp(leaf ? leaf + 1 : to, "UpdList.xml") == 0) {
        errno = EIO;
        return -1;
    }
    return real(fromFolder, from, toFolder, to);
}
