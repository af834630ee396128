#pragma once

#include <filesystem>
#include <string>

// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string str() const { return m_path.string(); }
    std::filesystem::path operator/(const std::string& relative) const { return m_path / relative; }

    // Writes bytes to a file under the folder, creating sub-folders.
    void write(const std::string& relative, const std::string& bytes) const;
    // The bytes of a file under the folder; empty when it is missing.
    std::string read(const std::string& relative) const;
    bool exists(const std::string& relative) const;

private:
    std::filesystem::path m_path;
};

// Sets an environment variable for the life of the object and restores the old value.
class ScopedEnv
{
public:
    ScopedEnv(std::string name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    bool m_had = false;
    std::string m_old;
};

// Text in GBK, written as the servers and the local files hold it.
std::string gbk(const std::string& utf8);
