#pragma once

#include <string>

namespace platform {

// A lock that marks one running copy of a program: held from acquire() for as long as the
// object lives, and given up by the system when the process ends in any way (a killed copy
// never blocks the next start). Programs started from the holder do not inherit it.
class InstanceLock
{
public:
    enum class Result {
        Acquired, // this process holds it now
        HeldElsewhere, // another running process holds it
        Unavailable, // no lock could be made (no place to keep it); nothing is known
    };

    // The lock of `program` installed in `programFolder`: copies of one program in two
    // folders do not exclude each other.
    InstanceLock(const std::string& program, const std::string& programFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock without waiting. Asking again while holding it answers Acquired.
    Result acquire();
    // Gives the lock up before the object goes (a copy whose main window has ended but whose
    // process lives on for another window); acquire() may take it again.
    void release();

    // The file the lock lives on: in the user's runtime folder ($XDG_RUNTIME_DIR), else in
    // the temporary folder with the user's id in its name.
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
};

} // namespace platform
