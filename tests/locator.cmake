# The installation locator: executable search, the query, the SDK and the
# Tallova suite requests.
zud_test(locator_test locator_test.cpp)

if(WIN32)
  # A drive letter of the tests' own in the wine prefix, mapped to a throwaway
  # directory, for an SDK whose "share" lies at the top of a drive.
  set(locator_drive_letter l:)
  set(locator_drive_dir ${CMAKE_CURRENT_BINARY_DIR}/locator_drive)
  set(locator_links "\${WINEPREFIX:-${CMAKE_SOURCE_DIR}/build/wineprefix}/dosdevices")
  add_test(NAME locator_drive_setup
           COMMAND sh -c "rm -rf \"$1\" && mkdir -p \"$1\" && ln -sfn \"$1\" \"${locator_links}/$2\""
                   setup ${locator_drive_dir} ${locator_drive_letter})
  add_test(NAME locator_drive_cleanup
           COMMAND sh -c "rm -f \"${locator_links}/$2\"; rm -rf \"$1\""
                   cleanup ${locator_drive_dir} ${locator_drive_letter})
  set_tests_properties(locator_drive_setup PROPERTIES FIXTURES_SETUP locator_drive)
  set_tests_properties(locator_drive_cleanup PROPERTIES FIXTURES_CLEANUP locator_drive)
  set_tests_properties(locator_test PROPERTIES FIXTURES_REQUIRED locator_drive)
  target_compile_definitions(locator_test PRIVATE LOCATOR_DRIVE="${locator_drive_letter}")
endif()
