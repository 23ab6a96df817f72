# sparkletide_add_test(NAME SOURCES ... LIBS ... [DISPLAY])
# One test binary per group of behaviour, registered as one CTest test.
# DISPLAY tests run on a private X server with a window manager; the others
# get Qt's offscreen platform so nothing needs a screen.
function(sparkletide_add_test name)
  cmake_parse_arguments(T "DISPLAY" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE st_test_support GTest::gtest_main GTest::gmock ${T_LIBS})
  if(T_DISPLAY)
    add_test(NAME ${name}
             COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xserver $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endfunction()
