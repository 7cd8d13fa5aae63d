# What the Windows installers install, written once for both: the NSIS
# installer (NSIS.template.in, filled in by CPack) and the MSI (Kestrane.wxs.in,
# built by wixl) take their files and the names of their registry entries from
# here, and neither keeps a list of its own.
#
# kestrane_installed_files(<folder below the install folder> <file>...)
# names files, generator expressions allowed; installer.cmake defines it.

set(KESTRANE_PRODUCT "Kestrane Pivora")   # Add/Remove Programs and the Start-menu shortcut
set(KESTRANE_VENDOR "Kestrane")           # the publisher
set(KESTRANE_INSTALL_FOLDER "Kestrane")   # below the 64-bit Program Files

# Registry entries, every one under HKEY_LOCAL_MACHINE in the 64-bit view.
# The Control Panel loads the applet named by this value:
# KESTRANE_CPLS_VALUE = <install folder>\KESTRANE_CPLS_FILE.
set(KESTRANE_CPLS_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cpls")
set(KESTRANE_CPLS_VALUE "Dralvic")
set(KESTRANE_CPLS_FILE "Dralvic.cpl")
# The default value names fenwarl.exe, when the installer is told where it is;
# uninstalling puts back what the value held before, unless it changed since.
set(KESTRANE_APP_PATH_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fenwarl.exe")

kestrane_installed_files(. $<TARGET_FILE:Dralvic>)
if(TARGET pivora)
    # pivora-cli.exe needs Qt5Core.dll alone, installed for pivora.exe.
    kestrane_installed_files(. $<TARGET_FILE:pivora> $<TARGET_FILE:pivora-cli>
        $<TARGET_FILE:Qt5::Core> $<TARGET_FILE:Qt5::Gui> $<TARGET_FILE:Qt5::Widgets>)
    kestrane_installed_files(platforms $<TARGET_FILE:Qt5::QWindowsIntegrationPlugin>)
    if(TARGET Qt5::QWindowsVistaStylePlugin)
        kestrane_installed_files(styles $<TARGET_FILE:Qt5::QWindowsVistaStylePlugin>)
    endif()
endif()
# The Group Policy templates, which administrators copy to their central store.
kestrane_installed_files(policy ${PROJECT_SOURCE_DIR}/policy/Kestrane.admx)
kestrane_installed_files(policy/en-US ${PROJECT_SOURCE_DIR}/policy/en-US/Kestrane.adml)
