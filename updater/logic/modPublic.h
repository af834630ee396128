#pragma once

#include "platform/inet_transfer.h"
#include "platform/process.h"
#include "updater/logic/list_trust.h"

#include <string>
#include <vector>

// The updater's module routines: files and folders, the list download, and finding and
// ending a running copy of the program being updated.
namespace modPublic {

// True when a file of that name exists (also when the path cannot be examined at all,
// as the directory listing this stands for reported an error as a find).
bool FileExists(const std::string& path);

// Reads the base URL from the local list `listFileName` in the program folder. On failure
// `url` holds the reason: the list name + " Not found!" or the parser's reason; when the
// list parses but has no Url, a message box names the error and `url` stays unchanged.
bool GetListUrl(platform::InetTransfer& client, const std::string& listFileName, std::string& url);

// Fetches `baseUrl` + `listName` into `saveName` in the program folder. False without a
// message when the server answers "404 Not Found"; false after a message box when the
// transfer fails, the answer is not a success, the list cannot be used (the box names what
// is wrong with it; nothing is written then) or the file cannot be written. Under a key
// the list's signature (its address + ".minisig") is checked over the bytes received
// before anything else; a list the `trust` refuses is false too, with the reason in
// `refusal`, and nothing is written.
bool DownloadServerList(platform::InetTransfer& client,
    const std::string& baseUrl,
    const std::string& listName,
    const std::string& saveName,
    const list_trust::Trust& trust = {},
    std::string* refusal = nullptr);

// The part of `name` up to and including the last `separator` (letter case ignored), or "".
std::string GetFolderPart(const std::string& name, const std::string& separator);

// `path` with a trailing "\" unless it already ends with one.
std::string AddBackslash(const std::string& path);

// Creates every missing folder along `folder`; true when they all exist afterwards.
bool MakeDirectory(const std::string& folder);

// The first running process whose main executable path contains `programFileName` (letter
// case ignored, a substring test); `executablePath` becomes that path. An empty handle when
// none runs (or the one found cannot be opened).
platform::ProcessHandle FindProcess(const std::string& programFileName, std::string& executablePath);

// Every running process, but this one, whose main executable is `programPath` (also when
// reached by another spelling of the folder, or replaced on the disk since it started);
// `executablePath` becomes the path the first one reports.
std::vector<platform::ProcessHandle> FindProcessesAt(const std::string& programPath, std::string& executablePath);

// Ends the process behind `handle`; true when it was ended.
bool KillProcess(const platform::ProcessHandle& handle);

// Enables the right to end processes, where the platform has one (failures are silent).
void EnableDebugPrivilege();

// A path as a process list may report it: whatever stands before a drive letter ("\??\C:\x")
// goes; other paths come back unchanged.
std::string stripDrivePrefix(const std::string& path);

} // namespace modPublic
