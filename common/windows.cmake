# The real message box alone: the updater needs it without the browser engine, whose
# libraries would add tens of megabytes to every process that links them.
add_library(common_message_box STATIC qt_message_box.cpp qt_message_box.h qt_translations.cpp qt_translations.h)
target_include_directories(common_message_box PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(common_message_box
    PUBLIC common_logic Qt6::Widgets
    PRIVATE project_warnings project_qt_options)

# Shared client services with windows (Qt Widgets): browser pane, update notice, pop-ups.
add_library(common_windows STATIC)
set_target_properties(common_windows PROPERTIES AUTOMOC ON AUTORCC ON)
target_include_directories(common_windows PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(common_windows
    PUBLIC common_logic common_message_box Qt6::Widgets Qt6::WebEngineWidgets
    PRIVATE project_warnings project_qt_options)
target_sources(common_windows PRIVATE
    twips.h
    BrowserPane.cpp BrowserPane.h pane_context_menu.cpp pane_context_menu.h
    renderer_recovery.cpp renderer_recovery.h
    local_pages.cpp local_pages.h
    pane_playback.cpp pane_playback.h
    full_screen_view.cpp full_screen_view.h
    pane_script.h)
target_sources(common_windows PRIVATE
    FindUpdate.cpp FindUpdate.h drawn_images.cpp drawn_images.h)
target_sources(common_windows PRIVATE
    ad_popup_parts.cpp ad_popup_parts.h
    frmRightBottom.cpp frmRightBottom.h
    frmUnload.cpp frmUnload.h
    ad_control_run.cpp ad_control_run.h
    exit_advert.h unload_advert.cpp unload_advert.h)
target_sources(common_windows PRIVATE
    LabelHolder.h
    screenshot_on_load.cpp screenshot_on_load.h)
