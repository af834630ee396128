#pragma once

#include "common/logic/remote_fetch.h"

// Installs the message-box handler that shows a real modal box (OK button, the given
// caption) for the programs' messages.
void installQtMessageBox();

// The pump the windows layer gives blocking requests: paints and timers go on, while user
// input waits until the request ends, so no window can be closed under a running fetch.
platform::EventPump qtEventPump();

// The poster the windows layer gives fetches that wait off the window's thread: the step
// runs in the application's event loop.
RemoteFetch::Poster qtPoster();
