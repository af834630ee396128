# The real message box alone: the updater needs it without the browser engine, whose
# libraries would add tens of megabytes to every process that links them.
add_library(common_message_box STATIC windows/qt_message_box.cpp windows/qt_message_box.h windows/qt_translations.cpp windows/qt_translations.h
    windows/desktop_identity.cpp windows/desktop_identity.h)
target_link_libraries(common_message_box
    PUBLIC common_logic Qt6::Widgets
    PRIVATE project_warnings project_qt_options)

# Shared client services with windows (Qt Widgets): browser pane, update notice, pop-ups.
add_library(common_windows STATIC)
set_target_properties(common_windows PROPERTIES AUTOMOC ON AUTORCC ON)
target_link_libraries(common_windows
    PUBLIC common_logic common_message_box Qt6::Widgets Qt6::WebEngineWidgets
    PRIVATE project_warnings project_qt_options)
target_sources(common_windows PRIVATE
    windows/twips.h windows/guarded_step.h
    windows/BrowserPane.cpp windows/BrowserPane.h windows/pane_context_menu.cpp windows/pane_context_menu.h
    windows/renderer_recovery.cpp windows/renderer_recovery.h
    windows/local_pages.cpp windows/local_pages.h
    windows/pane_playback.cpp windows/pane_playback.h
    windows/pane_scripts.cpp windows/pane_scripts.h
    windows/full_screen_view.cpp windows/full_screen_view.h
    windows/pane_script.h)
target_sources(common_windows PRIVATE
    windows/FindUpdate.cpp windows/FindUpdate.h windows/drawn_images.cpp windows/drawn_images.h)
target_sources(common_windows PRIVATE
    windows/ad_popup_parts.cpp windows/ad_popup_parts.h windows/popup_access.cpp
    windows/frmRightBottom.cpp windows/frmRightBottom.h
    windows/frmUnload.cpp windows/frmUnload.h
    windows/ad_control_run.cpp windows/ad_control_run.h
    windows/exit_advert.h windows/unload_advert.cpp windows/unload_advert.h)
target_sources(common_windows PRIVATE
    windows/LabelHolder.h
    windows/screenshot_on_load.cpp windows/screenshot_on_load.h)
