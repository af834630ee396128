#pragma once

#include <string>

// The TV shell's fixed texts and the texts built from its version.
namespace tv {

inline constexpr const char* programTitle = "Tovanis网络电视";
inline constexpr const char* secondInstanceTitle = "请勿多次运行";
inline constexpr const char* secondInstanceText = "系统检测到您的系统已经运行了网络电视！";
inline constexpr const char* invalidSkinText = "无效的皮肤文件！请查看是否为：* . she 文件！";
// The skin dialog's filter, as pairs of description and pattern.
inline constexpr const char* skinFilter = "皮肤文件(*.she)|*.she|All Skin(*.SHE)|*.SHE";
inline constexpr const char* aboutContactLine = "客服邮箱：service@tovanis.example    用户交流群：20461357";

struct Version
{
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// The program's own version: the release number the top CMakeLists.txt fixes.
Version programVersion();

// "(版本 1.4.0)": the numbers in decimal without leading zeros.
std::string versionSuffix(const Version& version);

// The tray icon's tooltip: "Tovanis网络电视(版本 1.4.0)".
std::string trayTip(const Version& version);

// The about box's text: thanks, a blank line, the contact line, a blank line, then the
// program's name and version; lines end in CR LF.
std::string aboutText(const Version& version);

// A file dialog filter of "description|pattern|description|pattern" as Qt writes it:
// "description;;description", each description followed by its pattern in brackets unless
// it ends with it already.
std::string dialogFilter(const std::string& pairs);

} // namespace tv
