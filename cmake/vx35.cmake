# vx35_add_test(NAME name LABEL unit|gui|e2e SOURCES ... LIBS ... [QT])
# One GoogleTest executable; every test case becomes its own CTest test.
# QT tests get the project's own main (offscreen platform, private profile
# folder, C numeric locale); plain ones the stock gtest main.
function(vx35_add_test)
  cmake_parse_arguments(T "QT" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock Threads::Threads)
  if(T_QT)
    target_link_libraries(${T_NAME} PRIVATE vx35_test_main)
  else()
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${T_NAME} PRIVATE
    VX35_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VX35_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
