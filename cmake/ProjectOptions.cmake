# Warnings shared by every library and program of the project.
add_library(project_warnings INTERFACE)
target_compile_options(project_warnings INTERFACE
    -Wall -Wextra -Wold-style-cast -Wnon-virtual-dtor -Wno-missing-field-initializers)
if(WARNINGS_AS_ERRORS)
    target_compile_options(project_warnings INTERFACE -Werror)
endif()

# Windows code uses QString deliberately, never implicit conversions from char*.
add_library(project_qt_options INTERFACE)
target_compile_definitions(project_qt_options INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)

# Executables of the program folder find their own libraries beside them, so a copied
# folder keeps working.
function(add_program name)
    add_executable(${name} ${ARGN})
    set_target_properties(${name} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY "${PROGRAM_FOLDER}"
        BUILD_RPATH "$ORIGIN"
        INSTALL_RPATH "$ORIGIN")
    target_link_libraries(${name} PRIVATE project_warnings)
    install_program_folder(TARGETS ${name} RUNTIME)
endfunction()

# The program's desktop entry name and its icons, bundled into the executable from the
# hicolor set in data/desktop (the window icon then needs no file beside the program).
function(add_desktop_icons name)
    target_sources(${name} PRIVATE "${CMAKE_SOURCE_DIR}/data/desktop/${name}.qrc")
    set_target_properties(${name} PROPERTIES AUTORCC ON)
    target_compile_definitions(${name} PRIVATE DESKTOP_ENTRY_NAME="${name}")
endfunction()

# One test executable per source file.
#   add_logic_test(NAME SOURCE LIBS...)   plain GoogleTest main, no display
#   add_window_test(NAME SOURCE LIBS...)  QApplication on the offscreen platform
function(add_logic_test name source)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ${ARGN} test_support GTest::gtest GTest::gmock GTest::gtest_main project_warnings)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS logic)
endfunction()

function(add_window_test name source)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ${ARGN} test_support_qt GTest::gtest GTest::gmock project_warnings project_qt_options)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600 LABELS window
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --no-sandbox;QTWEBENGINE_DISABLE_SANDBOX=1")
endfunction()

# Tests whose windows hold a browser view. Under AddressSanitizer the engine's own code frees
# some of its objects through a base class of another size (reported in libQt6WebEngineCore's
# frames when a page is destroyed), so that one check is turned off for these tests alone;
# leaks are suppressed by library in tests/sanitizers/lsan.supp.
function(uses_browser_engine)
    set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT_MODIFICATION
        "ASAN_OPTIONS=string_append::new_delete_type_mismatch=0")
endfunction()
