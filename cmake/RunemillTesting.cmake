# One test program per file in tests/, named after the file.

# A test of the Qt-free code, linked with the stand-in window.
function(runemill_add_gtest name)
  add_executable(${name} ${name}.cpp screen_stand_in.cpp)
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# A test of the real window, run on Qt's offscreen platform.
function(runemill_add_qt_test name)
  add_executable(${name} ${name}.cpp)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE runemill_window Qt6::Test ${ARGN})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
