#pragma once

class UpdateHost;

// The once-per-run update check, run on the first tick of the main window's check timer
// (gengxinTime / Timer5). It fetches the server's version and news into the holders, keeps
// both in local files, reads the installed version from "Setting.ini", sets the update flag
// when the server's version is larger, copies the server version into TransferVersion and
// stops the check timer. Every step runs even when an earlier one failed; nothing is
// reported beyond the fetches' own message. With a window's fetcher (one that posts) the
// fetches wait off the window's thread and the check ends after this call has returned.
void runUpdateCheck(UpdateHost& host);

// The tick of the notice timer (FindUpdateTimer / Timer4) without the window: whether the
// notice is due now. Clears the flag, so the notice opens at most once per check.
bool takeUpdateNoticeRequest(UpdateHost& host);
