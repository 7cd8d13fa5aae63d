# The Windows installers, made from the Windows build: the NSIS installer
# Kestrane-Pivora-<version>-win64.exe by CPack's NSIS generator (`cpack` in the
# build folder, or the target `package`) and the MSI
# Kestrane-Pivora-<version>-win64.msi by wixl (the target `msi`), both into
# installer/ of the build folder. Both install what contents.cmake beside this
# file lists. What the NSIS installer does besides copying files is in
# NSIS.template.in, which CPack takes in place of its own template; the MSI is
# Kestrane.wxs.in, with its custom actions in msiactions.cpp.
if(NOT WIN32)
    return()
endif()

# The MSI's components, one per file, gathered by kestrane_installed_files.
set(KESTRANE_MSI_DIRECTORIES "")
set(KESTRANE_MSI_COMPONENT_REFS "")
set(kestrane_msi_folders .)
set(kestrane_msi_files 0)

# The MSI's Directory of <folder> below the install folder, made once with
# those above it.
function(kestrane_msi_folder folder out_id)
    if(folder STREQUAL ".")
        set(${out_id} INSTALLDIR PARENT_SCOPE)
        return()
    endif()
    string(MAKE_C_IDENTIFIER "Folder_${folder}" id)
    set(${out_id} ${id} PARENT_SCOPE)
    if(folder IN_LIST kestrane_msi_folders)
        return()
    endif()
    get_filename_component(parent "${folder}" DIRECTORY)
    get_filename_component(name "${folder}" NAME)
    if(parent STREQUAL "")
        set(parent .)
    endif()
    kestrane_msi_folder("${parent}" parent_id)
    set(kestrane_msi_folders ${kestrane_msi_folders} "${folder}" PARENT_SCOPE)
    set(KESTRANE_MSI_DIRECTORIES "${KESTRANE_MSI_DIRECTORIES}    <DirectoryRef Id=\"${parent_id}\"><Directory Id=\"${id}\" Name=\"${name}\"/></DirectoryRef>\n" PARENT_SCOPE)
endfunction()

# Installs <file>... into <folder> below the install folder, for both
# installers: an install() rule, which CPack's NSIS generator turns into the
# NSIS installer's lists of files to copy and to delete, and a component of
# the MSI, whose GUID wixl derives from the file's path so that it stays the
# same from version to version.
macro(kestrane_installed_files folder)
    install(FILES ${ARGN} DESTINATION "${folder}")
    kestrane_msi_folder("${folder}" kestrane_msi_folder_id)
    foreach(kestrane_msi_file ${ARGN})
        math(EXPR kestrane_msi_files "${kestrane_msi_files} + 1")
        string(APPEND KESTRANE_MSI_DIRECTORIES
            "    <DirectoryRef Id=\"${kestrane_msi_folder_id}\"><Component Id=\"File${kestrane_msi_files}\" Guid=\"*\" Win64=\"yes\">"
            "<File Id=\"File${kestrane_msi_files}\" Source=\"${kestrane_msi_file}\" KeyPath=\"yes\"/>"
            "</Component></DirectoryRef>\n")
        string(APPEND KESTRANE_MSI_COMPONENT_REFS "      <ComponentRef Id=\"File${kestrane_msi_files}\"/>\n")
    endforeach()
endmacro()

include(${CMAKE_CURRENT_LIST_DIR}/contents.cmake)

# Without an installer: bin/Dralvic-install.reg writes the registry entries
# of contents.cmake for Dralvic.cpl and fenwarl.exe copied by hand into
# KESTRANE_INSTALL_DIR, imported with regedit.
set(KESTRANE_INSTALL_DIR "C:\\Program Files\\${KESTRANE_INSTALL_FOLDER}" CACHE STRING
    "Folder Dralvic.cpl and fenwarl.exe are copied to, for bin/Dralvic-install.reg")
string(REPLACE "\\" "\\\\" KESTRANE_INSTALL_DIR_ESCAPED "${KESTRANE_INSTALL_DIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/Dralvic-install.reg.in ${PROJECT_BINARY_DIR}/bin/Dralvic-install.reg @ONLY)

if(TARGET pivora)
    set(CPACK_KESTRANE_PIVORA ON)
    set(CPACK_NSIS_INSTALLED_ICON_NAME pivora.exe)
    set(kestrane_msi_icon_target pivora)
    set(KESTRANE_MSI_SHORTCUT "        <Shortcut Id=\"StartMenu\" Directory=\"ProgramMenuFolder\" Name=\"${KESTRANE_PRODUCT}\" Target=\"[INSTALLDIR]pivora.exe\" WorkingDirectory=\"INSTALLDIR\"/>")
else()
    set(CPACK_KESTRANE_PIVORA OFF)
    set(CPACK_NSIS_INSTALLED_ICON_NAME ${KESTRANE_CPLS_FILE})
    set(kestrane_msi_icon_target Dralvic)
    set(KESTRANE_MSI_SHORTCUT "")
endif()
set(KESTRANE_MSI_ICON_ID "${CPACK_NSIS_INSTALLED_ICON_NAME}")

# The MSI. Its upgrade code is Kestrane Pivora's for good: every version
# upgrades the one installed.
set(KESTRANE_UPGRADE_CODE "{5E0C7A1D-3B52-4C8E-9F46-2A7D81B0C3E4}")
# Where the MSI remembers its install folder and the App Paths entry it wrote.
set(KESTRANE_SETUP_KEY "Software\\Kestrane\\Pivora\\Setup")
add_library(KestraneMsiActions MODULE ${CMAKE_CURRENT_LIST_DIR}/msiactions.cpp)
# -lmsi: the plain name would be the target `msi` below.
target_link_libraries(KestraneMsiActions PRIVATE -lmsi)
set_target_properties(KestraneMsiActions PROPERTIES PREFIX "")
foreach(name APP_PATH_KEY SETUP_KEY)
    string(REPLACE "\\" "\\\\" escaped "${KESTRANE_${name}}")
    target_compile_definitions(KestraneMsiActions PRIVATE "KESTRANE_${name}=L\"${escaped}\"")
endforeach()
set(KESTRANE_MSI_ICON $<TARGET_FILE:${kestrane_msi_icon_target}>)
set(KESTRANE_MSI_ACTIONS $<TARGET_FILE:KestraneMsiActions>)
configure_file(${CMAKE_CURRENT_LIST_DIR}/Kestrane.wxs.in ${PROJECT_BINARY_DIR}/msi/Kestrane.wxs.in @ONLY)
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/msi/Kestrane.wxs INPUT ${PROJECT_BINARY_DIR}/msi/Kestrane.wxs.in)
set(kestrane_msi ${PROJECT_BINARY_DIR}/installer/Kestrane-Pivora-${PROJECT_VERSION}-win64.msi)
add_custom_target(msi
    COMMAND ${CMAKE_COMMAND} -DWXS=${PROJECT_BINARY_DIR}/msi/Kestrane.wxs -DVERSION=${PROJECT_VERSION}
            -DOUTPUT=${kestrane_msi} -P ${CMAKE_CURRENT_LIST_DIR}/msi.cmake
    DEPENDS KestraneMsiActions Dralvic $<TARGET_NAME_IF_EXISTS:pivora> $<TARGET_NAME_IF_EXISTS:pivora-cli>
    COMMENT "Building ${kestrane_msi}"
    VERBATIM)

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME "${KESTRANE_PRODUCT}")
set(CPACK_PACKAGE_VENDOR "${KESTRANE_VENDOR}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "Kestrane-Pivora-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "${KESTRANE_INSTALL_FOLDER}")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "KestranePivora")
set(CPACK_NSIS_DISPLAY_NAME "${KESTRANE_PRODUCT}")
set(CPACK_NSIS_PACKAGE_NAME "${KESTRANE_PRODUCT}")
set(CPACK_NSIS_COMPRESSOR lzma)
set(CPACK_NSIS_UNINSTALL_NAME Uninstall)
# The registry names of contents.cmake, for NSIS.template.in.
foreach(name CPLS_KEY CPLS_VALUE CPLS_FILE APP_PATH_KEY)
    set(CPACK_KESTRANE_${name} "${KESTRANE_${name}}")
endforeach()
set(CPACK_KESTRANE_INSTALLER_ICON "${PROJECT_SOURCE_DIR}/cplapplet/dralvic.ico")
set(CPACK_OUTPUT_FILE_PREFIX "${PROJECT_BINARY_DIR}/installer")
list(APPEND CMAKE_MODULE_PATH "${CMAKE_CURRENT_LIST_DIR}")
include(CPack)
