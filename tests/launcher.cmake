# The launcher's functions in process, linked from the renamed entry point, and
# the built launcher run as a process against installation trees made by the
# tests. Under wine the tests are a Windows program: they name the built files
# by their Windows paths (the Linux root is drive Z:).
zud_test(launcher_test launcher_unit_test.cpp launcher_e2e_test.cpp)
target_link_libraries(launcher_test PRIVATE entry_main_testable)
add_dependencies(launcher_test zud argv_echo)
# Natively the interpreter is the system's Perl on a real script; the Windows
# build has none, so argv_echo stands in for it there.
if(WIN32)
  set(launcher_drive "Z:")
  set(launcher_host_perl "")
else()
  find_package(Perl REQUIRED)
  set(launcher_host_perl "${PERL_EXECUTABLE}")
endif()
target_compile_definitions(launcher_test PRIVATE
  LAUNCHER_EXE="${launcher_drive}$<TARGET_FILE:zud>"
  ARGV_ECHO_EXE="${launcher_drive}$<TARGET_FILE:argv_echo>"
  HOST_PERL="${launcher_host_perl}")
