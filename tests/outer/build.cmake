# Configures tests/outer in a fresh folder and builds one sample server there,
# which must land in the inner project's own bin/.
#   cmake -DCHECKOUT=<checkout> -DFOLDER=<build folder> -DCXX=<compiler> -P build.cmake
file(REMOVE_RECURSE ${FOLDER})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${CHECKOUT}/tests/outer -B ${FOLDER}
                        -DKESTRANE_CHECKOUT=${CHECKOUT} -DCMAKE_CXX_COMPILER=${CXX}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the outer project does not configure")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${FOLDER} --target KestraneH264 -j 2 RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "KestraneH264 does not build in the outer project")
endif()
if(NOT EXISTS ${FOLDER}/kestrane/bin/KestraneH264.ax)
    message(FATAL_ERROR "KestraneH264.ax is not in ${FOLDER}/kestrane/bin")
endif()
