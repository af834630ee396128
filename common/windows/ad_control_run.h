#pragma once

#include "common/logic/remote_fetch.h"

#include <functional>
#include <string>
#include <vector>

class ExitAdvert;
class QListWidget;
class QTimer;
class TextHolder;
class frmRightBottom;

// The advertisement control run, the one tick of a main window's TimeAdControl: fetches the
// control file into Label3, keeps its local copy under "bin", stops TimeAdControl, appends
// the copy's items to List1 and shows the corner pop-up when item 0 is exactly "on". Every
// step runs even when an earlier one failed. `shown` gets the corner pop-up shown, or
// nullptr, when the run has ended: after the fetch, which may wait off the window's thread.
void runAdControl(Shell shell,
    RemoteFetch& fetch,
    TextHolder& label3,
    QListWidget& list1,
    QTimer& timeAdControl,
    std::function<void(frmRightBottom*)> shown = {});

// The exit rule of a main window's unload: item 1 of List1 "on" shows the exit pop-up and
// stops TimeAdControl; "off" unloads an open exit pop-up and stops TimeAdControl; anything
// else does neither. `advert` may be null (no pop-up to show or unload).
void runExitRule(const QListWidget& list1, ExitAdvert* advert, QTimer& timeAdControl);

// The items of List1, position 0 first, as the pop-ups read them.
std::vector<std::string> listItems(const QListWidget& list1);
