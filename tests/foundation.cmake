# The runtime seam, the command-line splitter, quoting, the directory walk and
# the file tests.
zud_test(quote_test quote_test.cpp)
zud_test(runtime_test runtime_test.cpp)
zud_test(walk_test walk_test.cpp)

foreach(test quote_test runtime_test)
  target_compile_definitions(${test} PRIVATE ARGV_ECHO_PATH="$<TARGET_FILE:argv_echo>")
  add_dependencies(${test} argv_echo)
endforeach()
