#include "tv/logic/tv_menu.h"

namespace tv {
namespace {

using A = MenuAction;
using R = ServerRole;

MenuEntry channel(const char* name, const char* caption, int depth, const char* pageFile)
{
    return {name, caption, depth, A::Channel, pageFile};
}

MenuEntry link(const char* name, const char* caption, ServerRole role, const char* path = "")
{
    return {name, caption, 1, A::WebLink, nullptr, role, path};
}

std::vector<MenuEntry> buildTree()
{
    return {
        {"Window_C", "播放器设置", 0, A::Submenu},
        {"addlnk", "创建快捷方式", 1, A::CreateShortcut},
        {"TopShow", "窗口置前", 1, A::StackTop},
        {"NormalShow", "窗口正常", 1, A::StackNormal},
        {"DownShow", "窗口置后", 1, A::StackBottom},
        {"quote", "退出软件", 1, A::Quit},
        {"pdlist", "频道列表", 0, A::Submenu},
        channel("tvlive", "高清电视直播", 1, firstChannelPage),
        {"HDMTV", "高清MTV", 1, A::Submenu},
        channel("HDMTV1", "高清MTV一", 2, "/bin/tovanMTV1.ocx"),
        channel("HDMTV2", "高清MTV二", 2, "/bin/tovanMTV2.ocx"),
        channel("hddm", "高清动漫", 1, "/bin/tovanDM.ocx"),
        channel("radio", "在线广播", 1, "/bin/tovanpR.ocx"),
        {"digitalHD", "数字高清影院", 1, A::Submenu},
        channel("DigitHDMOVIE", "数字影院一(电信服务器)", 2, "/bin/tovanDigHD1.ocx"),
        channel("DigitQHD", "数字影院二(多线路)", 2, "/bin/tovanDigHD2.ocx"),
        channel("DigitM1905", "数字影院三(多线路)", 2, "/bin/tovanDigHD3.ocx"),
        channel("HDMovie", "高清电影", 2, "/bin/tovanHDM.ocx"),
        channel("hdjc", "高清剧场", 2, "/bin/tovanJC.ocx"),
        {"Ferrant", "高清影视盒", 0, A::Submenu},
        {"TovanBox", "Tovanis影视盒", 1, A::StartPortal},
        {"movieonline", "在线电影", 0, A::Submenu},
        link("HDmovielfv", "超清电影一站", R::PortalPrimary),
        link("HDmovieqvod", "快播高清电影二站", R::FilmMirror),
        {"about", "帮助", 0, A::Submenu},
        {"Renovo", "在线更新", 1, A::StartUpdater},
        {"skinsa", "更换皮肤", 1, A::ChooseSkin},
        link("skindown", "皮肤下载", R::TvSite),
        link("guanwang", "官方网站", R::TvSite),
        link("guestboog", "有问题来这里", R::PortalPrimary, "/guestbook"),
        {"aboutme", "关于", 1, A::About},
        {"mnuTray", "trayMenu", 0, A::Submenu},
        {"mnuShow", "显示/隐藏窗口", 1, A::ShowHide},
        {"Pallomar", "Orvel高清影视盒(New)", 1, A::StartPortal},
        {"aaa", "-", 1, A::Separator},
        link("wwwtovan", "高清在线影视站", R::PortalPrimary),
        link("vodtovan", "快播在线影视站", R::FilmMirror),
        {"Findupdata", "检查更新", 1, A::StartUpdater},
        link("goguestbook", "留言处", R::PortalPrimary, "/guestbook"),
        {"RightAboutme", "关于本软件", 1, A::About},
        {"mnuSwp", "-", 1, A::Separator},
        {"mnuExit", "退出软件", 1, A::Quit},
    };
}

} // namespace

const std::vector<MenuEntry>& menuTree()
{
    static const std::vector<MenuEntry> tree = buildTree();
    return tree;
}

const MenuEntry* findMenuEntry(const std::string& name)
{
    for (const MenuEntry& entry : menuTree())
        if (name == entry.name)
            return &entry;
    return nullptr;
}

std::string webLinkAddress(const MenuEntry& entry)
{
    return serverUrl(entry.role, entry.path);
}

} // namespace tv
