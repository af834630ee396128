#pragma once

#include "common/logic/remote_fetch.h"
#include "common/logic/text_holder.h"

#include <string>

class QWidget;

// The main-window state the update check leaves for the notice.
struct UpdateFields
{
    bool updateFlag = false; // set by the check, cleared when the notice is shown
    std::string serverVersion; // first line of the local version file
    std::string installedVersion; // the installed-version entry of "Setting.ini"
    std::string TransferVersion; // what the notice records as installed on acceptance
    bool checkRunning = false; // a check's fetches are under way: a timer tick starts no other
};

// What a shell's main window lends the update check and the update notice. Both shells'
// main windows implement it; the check and the notice never talk to each other directly.
class UpdateHost
{
public:
    virtual ~UpdateHost() = default;

    virtual Shell shell() const = 0;
    // The holders of the version fetch (initially "2.0") and the news fetch ("更新信息").
    virtual TextHolder& Label1() = 0;
    virtual TextHolder& Label2() = 0;
    virtual RemoteFetch& remoteFetch() = 0;
    virtual UpdateFields& updateFields() = 0;
    // Stops the check timer (gengxinTime / Timer5) so that the check runs once per run.
    virtual void disableUpdateCheckTimer() = 0;
    // The window that owns the notice and centres it.
    virtual QWidget* noticeOwner() = 0;
    // Closes the main window through its normal shutdown.
    virtual void closeMainWindow() = 0;
};
