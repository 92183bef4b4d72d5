# The launcher's functions in process, linked from the renamed entry point.
zud_test(launcher_unit_test launcher_unit_test.cpp)
target_link_libraries(launcher_unit_test PRIVATE entry_main_testable)

# The built launcher run as a process against installation trees made by the
# test. Under wine the test is a Windows program: it names the built files by
# their Windows paths (the Linux root is drive Z:).
zud_test(launcher_e2e_test launcher_e2e_test.cpp)
add_dependencies(launcher_e2e_test zud argv_echo)
if(WIN32)
  set(launcher_drive "Z:")
  set(launcher_host_perl "")
else()
  set(launcher_drive "")
  find_package(Perl REQUIRED)
  set(launcher_host_perl "${PERL_EXECUTABLE}")
endif()
target_compile_definitions(launcher_e2e_test PRIVATE
  LAUNCHER_EXE="${launcher_drive}$<TARGET_FILE:zud>"
  ARGV_ECHO_EXE="${launcher_drive}$<TARGET_FILE:argv_echo>"
  HOST_PERL="${launcher_host_perl}")
