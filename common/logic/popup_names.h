#pragma once

// What a screen reader calls the advertisement pop-ups and their close image; the page they
// show is read out as their description once its title is known.
namespace popup_names {

inline constexpr const char* cornerPopup = "通知";
inline constexpr const char* exitPopup = "广告";
inline constexpr const char* closeImage = "关闭";

} // namespace popup_names
