#pragma once

#include "common/logic/server_roles.h"

#include <string>
#include <vector>

// The main window's menu tree as data: every item's name, caption, place and action. The
// window builds its menu bar and the tray menu from it.
namespace tv {

enum class MenuAction {
    Submenu,
    Separator,
    CreateShortcut, // addlnk
    StackTop, // TopShow
    StackNormal, // NormalShow
    StackBottom, // DownShow
    Quit, // closes the main window
    Channel, // opens the item's page file in WebBrowser1
    StartPortal, // starts the portal shell from the program folder
    WebLink, // opens the item's address in the system's web browser
    StartUpdater,
    ChooseSkin,
    About,
    ShowHide, // mnuShow
};

struct MenuEntry
{
    const char* name;
    const char* caption;
    // 0 on the menu bar; n + 1 in the submenu of the nearest entry above it at depth n.
    int depth;
    MenuAction action;
    const char* pageFile = nullptr; // Channel: relative to the program folder
    ServerRole role = ServerRole::PortalPrimary; // WebLink
    const char* path = ""; // WebLink: on the role's server; "" is the site root
};

// The whole tree in menu order; `mnuTray`, the tray's menu, comes last.
const std::vector<MenuEntry>& menuTree();

// The entry of an item by its name, or nullptr.
const MenuEntry* findMenuEntry(const std::string& name);

// The address a WebLink entry opens: "http://" + the role's host + path.
std::string webLinkAddress(const MenuEntry& entry);

// The live-TV page, also opened at start.
inline constexpr const char* firstChannelPage = "/bin/tovanT.ocx";

// The program the portal-shell items start, by its name in the program folder.
inline constexpr const char* portalProgram = "Pallomar.exe";

} // namespace tv
