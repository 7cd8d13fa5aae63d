# Builds the MSI with wixl from the Kestrane.wxs that installer.cmake
# generated, then writes with msibuild what wixl cannot express:
# - RemoveExistingProducts right after InstallInitialize: wixl takes no
#   MajorUpgrade Schedule and places it late, but the installed version must
#   be gone before this one writes the App Paths entry of fenwarl.exe, whose
#   record that removal clears;
# - FENWARL and INSTALLDIR among the SecureCustomProperties (wixl has no
#   Property Secure attribute), so that a managed install passes them on.
# - wixl finds no file by an absolute path, only relative to the folder it
#   runs in: it runs in the root folder, on a copy of the .wxs whose paths
#   are made relative to that.
# The product code is made from the upgrade code and the version: each
# version has its own, the same in every build of it, for the detection
# rules of Intune and Configuration Manager.
#
#   cmake -DWXS=<Kestrane.wxs> -DVERSION=<x.y.z> -DOUTPUT=<file.msi> -P msi.cmake
# The build's target `msi` runs it; the installer's checks under Wine run it
# for an earlier and a later version.
foreach(setting WXS VERSION OUTPUT)
    if(NOT ${setting})
        message(FATAL_ERROR "msi.cmake: -D${setting}= is missing")
    endif()
endforeach()
find_program(WIXL wixl)
find_program(MSIBUILD msibuild)
if(NOT WIXL OR NOT MSIBUILD)
    message(FATAL_ERROR "msi.cmake: wixl and msibuild are needed (Debian packages wixl and msitools)")
endif()

file(READ "${WXS}" wxs)
string(REGEX MATCH "UpgradeCode=\"{?([0-9A-Fa-f-]+)}?\"" found "${wxs}")
string(UUID product_code NAMESPACE "${CMAKE_MATCH_1}" NAME "${VERSION}" TYPE SHA1 UPPER)

get_filename_component(OUTPUT "${OUTPUT}" ABSOLUTE)
set(built "${OUTPUT}.part")
string(REGEX REPLACE "(Source|SourceFile)=\"/" "\\1=\"" wxs "${wxs}")
file(WRITE "${built}.wxs" "${wxs}")
execute_process(COMMAND "${WIXL}" -a x64 -D Version=${VERSION} -D ProductCode={${product_code}}
                        -o "${built}" "${built}.wxs"
                WORKING_DIRECTORY /
                RESULT_VARIABLE status)
file(REMOVE "${built}.wxs")
if(NOT status EQUAL 0)
    file(REMOVE "${built}")
    message(FATAL_ERROR "msi.cmake: wixl failed on ${WXS}")
endif()
execute_process(COMMAND "${MSIBUILD}" "${built}"
    -q "UPDATE `InstallExecuteSequence` SET `Sequence` = 1501 WHERE `Action` = 'RemoveExistingProducts'"
    -q "UPDATE `Property` SET `Value` = 'FENWARL;INSTALLDIR;WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED' WHERE `Property` = 'SecureCustomProperties'"
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE "${built}")
    message(FATAL_ERROR "msi.cmake: msibuild could not amend ${built}")
endif()
file(RENAME "${built}" "${OUTPUT}")
message(STATUS "${OUTPUT}: version ${VERSION}, product code {${product_code}}")
