# evalo_target_runner(<target> <variable>): sets <variable> to a command that
# runs the target's program on the build machine, for test scripts that
# start it themselves. Cross builds go through CMAKE_CROSSCOMPILING_EMULATOR
# (qemu, node), which add_test applies only to a target named as the command.
function(evalo_target_runner target variable)
  if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(${variable} $<TARGET_FILE:${target}> PARENT_SCOPE)
    return()
  endif()
  list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " emulator)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/run_${target}.sh)
  file(GENERATE OUTPUT ${script}
    CONTENT "#!/bin/sh\nexec ${emulator} '$<TARGET_FILE:${target}>' \"$@\"\n"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                     WORLD_READ WORLD_EXECUTE)
  set(${variable} ${script} PARENT_SCOPE)
endfunction()
