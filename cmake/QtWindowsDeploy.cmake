# Lays Qt for Windows out in bin/ as Qt's deployment tool does: the module
# DLLs beside the programs, each plugin in the folder of its kind, where Qt
# looks for them relative to the program. The target qt_windows_deploy does
# it; pivora and the widget tests depend on it.
set(qt_deploy_bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
set(qt_deploy_commands)
foreach(module Core Gui Widgets Test)
    list(APPEND qt_deploy_commands
        COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt5::${module}> ${qt_deploy_bin}/)
endforeach()
foreach(plugin platforms/QWindowsIntegrationPlugin platforms/QMinimalIntegrationPlugin
               styles/QWindowsVistaStylePlugin)
    get_filename_component(folder ${plugin} DIRECTORY)
    get_filename_component(name ${plugin} NAME)
    if(TARGET Qt5::${name})
        list(APPEND qt_deploy_commands
            COMMAND ${CMAKE_COMMAND} -E make_directory ${qt_deploy_bin}/${folder}
            COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt5::${name}> ${qt_deploy_bin}/${folder}/)
    elseif(name STREQUAL "QWindowsIntegrationPlugin")
        message(FATAL_ERROR "Qt for Windows has no windows platform plugin")
    endif()
endforeach()
add_custom_target(qt_windows_deploy ALL ${qt_deploy_commands} VERBATIM)
