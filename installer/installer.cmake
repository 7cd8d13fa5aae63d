# The Windows installer, Kestrane-Pivora-<version>-win64.exe, made by CPack's
# NSIS generator from the Windows build (`cpack` in the build folder, or the
# target `package`): pivora.exe with the Qt DLLs and plugins it loads and
# pivora-cli.exe, when Qt for Windows was found, and Dralvic.cpl. What the
# installer does besides copying files is in NSIS.template.in beside this
# file, which CPack takes in place of its own template.
if(NOT WIN32)
    return()
endif()

install(TARGETS Dralvic RUNTIME DESTINATION .)

if(TARGET pivora)
    # pivora-cli.exe, the command line, needs Qt5Core.dll alone, installed for pivora.exe.
    install(TARGETS pivora pivora-cli RUNTIME DESTINATION .)
    install(FILES $<TARGET_FILE:Qt5::Core> $<TARGET_FILE:Qt5::Gui> $<TARGET_FILE:Qt5::Widgets> DESTINATION .)
    install(FILES $<TARGET_FILE:Qt5::QWindowsIntegrationPlugin> DESTINATION platforms)
    if(TARGET Qt5::QWindowsVistaStylePlugin)
        install(FILES $<TARGET_FILE:Qt5::QWindowsVistaStylePlugin> DESTINATION styles)
    endif()
    set(CPACK_KESTRANE_PIVORA ON)
    set(CPACK_NSIS_INSTALLED_ICON_NAME pivora.exe)
else()
    set(CPACK_KESTRANE_PIVORA OFF)
    set(CPACK_NSIS_INSTALLED_ICON_NAME Dralvic.cpl)
endif()

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME "Kestrane Pivora")
set(CPACK_PACKAGE_VENDOR "Kestrane")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "Kestrane-Pivora-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Kestrane")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "KestranePivora")
set(CPACK_NSIS_DISPLAY_NAME "Kestrane Pivora")
set(CPACK_NSIS_PACKAGE_NAME "Kestrane Pivora")
set(CPACK_NSIS_COMPRESSOR lzma)
set(CPACK_NSIS_UNINSTALL_NAME Uninstall)
set(CPACK_KESTRANE_INSTALLER_ICON "${PROJECT_SOURCE_DIR}/cplapplet/dralvic.ico")
set(CPACK_OUTPUT_FILE_PREFIX "${PROJECT_BINARY_DIR}/installer")
list(APPEND CMAKE_MODULE_PATH "${CMAKE_CURRENT_LIST_DIR}")
include(CPack)
