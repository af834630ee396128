#pragma once

#include <string>

// Pages find the servers the program talks to, by role, in a global object the panes
// define before any script of the page runs:
//   window.portalServers = {primary: "host:port", filmMirror: ..., portalBackup: ...,
//                           filmBackup: ..., tvSite: ...}
// so that a page's player fetches its video from the same servers as the program, with the
// environment's overrides, wherever the page itself came from.
namespace page_servers {

// The script text that defines the object, from the roles' current hosts.
std::string script();

} // namespace page_servers
