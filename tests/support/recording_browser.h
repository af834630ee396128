#pragma once

#include "tests/support/temp_folder.h"

#include <filesystem>
#include <string>

// Stands in for the system's web browser while it lives: every address opened goes on a line
// of its own in opened(), in order.
class RecordingBrowser
{
public:
    RecordingBrowser()
        : m_variable("BROWSER", (m_folder / "browser").string())
    {
        m_folder.write("browser", "#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/opened.txt\"\n");
        std::filesystem::permissions(m_folder / "browser", std::filesystem::perms::owner_all);
    }

    // The shell creates the file before it writes the line: wait for a whole line.
    bool openedAny() const
    {
        const std::string text = opened();
        return !text.empty() && text.back() == '\n';
    }
    std::string opened() const { return m_folder.read("opened.txt"); }

private:
    TempFolder m_folder;
    ScopedEnv m_variable;
};
