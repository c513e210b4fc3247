# Installs the build into a staging prefix and checks that the program, the
# simulator, the desktop entry and the icon land in the usual places.
file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${STAGE}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(path bin/vorkel bin/vorkel-sim share/applications/vorkel.desktop
             share/icons/hicolor/32x32/apps/vorkel.png)
    if(NOT EXISTS "${STAGE}/${path}")
        message(FATAL_ERROR "missing after install: ${path}")
    endif()
endforeach()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
    execute_process(COMMAND "${VALIDATE}" "${STAGE}/share/applications/vorkel.desktop" RESULT_VARIABLE valid)
    if(NOT valid EQUAL 0)
        message(FATAL_ERROR "the desktop entry does not validate")
    endif()
endif()
message(STATUS "installed layout complete")
