#pragma once

#include "common/logic/remote_fetch.h"

#include <string>

// Everything the update check and the update notice name differently in the two shells.
// The code is the same for both; only this table tells them apart.
struct UpdateShellNames
{
    const char* checkTimer; // runs the check once, 40 s after the load
    const char* noticeTimer; // shows the notice when the check asked for it
    const char* serverVersionFile; // on the primary portal server
    const char* serverNewsFile; // on the primary portal server
    const char* checkVersionFile; // local version file as the check writes and reads it
    const char* noticeVersionFile; // local version file as the notice reads it
    const char* checkNewsFile; // local news file as the check writes it
    const char* noticeNewsFile; // local news file as the notice reads it
    const char* noticeNewsFileGone; // local news file as the notice deletes it
    const char* settingsSection; // installed-version entry in "Setting.ini"
    const char* settingsKey;
};

const UpdateShellNames& updateShellNames(Shell shell);

// A local file of the program folder by its name relative to the folder ("\update.txt").
// File names of the programs are not case-sensitive: when no file of exactly that name
// exists but one differing only in letter case does, that one is meant.
std::string localUpdateFile(const char* relative);
