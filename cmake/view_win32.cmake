# The Win32 view of the form model, and its tests (run under Wine with a
# display). Included by the top-level CMakeLists.txt on Windows builds.
file(GLOB VIEW_WIN32_SRC CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/../src/platform/win32/view/*.cpp)
add_library(view_win32 STATIC ${VIEW_WIN32_SRC})
target_compile_definitions(view_win32 PRIVATE UNICODE _UNICODE
                           PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# oleacc, oleaut32 and uuid: the controls' objects for screen readers (MSAA).
target_link_libraries(view_win32 PUBLIC forms platform_files comctl32 comdlg32 msimg32 shell32 uuid
                      oleacc oleaut32 ole32 gdi32 user32)
