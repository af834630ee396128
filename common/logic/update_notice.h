#pragma once

#include "common/logic/remote_fetch.h"

#include <string>

// What the update notice does, without its window: the texts it shows from the local files
// and its three answers. Every step of an answer runs even when an earlier one failed.
namespace update_notice {

// "Tovanis网络电视 " + the local version file with every CR LF removed + " 版发布了，是否进行升级？".
std::string headline(Shell shell);

// The local news file as text; empty when there is none.
std::string news(Shell shell);

// Starts the updater from the program folder with no arguments, without waiting. Returns
// false when it could not be started; callers go on regardless.
bool startUpdater();

// Yes, or no answer in time: starts the updater, records `transferVersion` as installed
// when the local version file is still there, and deletes both local files. The installed
// entry is never emptied: without a version it keeps what it had.
void accept(Shell shell, const std::string& transferVersion);

// No: deletes both local files; the installed version stays, so the next run asks again.
void decline(Shell shell);

// Deletes both local files when the local version file exists, as the main window's
// unload and the No answer do.
void removeLocalFiles(Shell shell);

} // namespace update_notice
