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

# vx35_library(<folder> [PLAIN] DEPS <libs>...)
# The folder's .cpp files become the static library vx35_<folder>; sources
# are globbed so a new file needs no edit here. A folder without sources
# yet builds nothing.
function(vx35_library folder)
  cmake_parse_arguments(L "PLAIN" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  file(GLOB hdrs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  if(NOT srcs)
    return()
  endif()
  add_library(vx35_${folder} STATIC ${srcs} ${hdrs})
  target_include_directories(vx35_${folder} PUBLIC ${CMAKE_SOURCE_DIR})
  # A dependency whose folder has no sources yet is skipped rather than
  # turned into a missing -l flag.
  foreach(dep IN LISTS L_DEPS)
    if(dep MATCHES "^vx35_")
      target_link_libraries(vx35_${folder} PUBLIC $<TARGET_NAME_IF_EXISTS:${dep}>)
    else()
      target_link_libraries(vx35_${folder} PUBLIC ${dep})
    endif()
  endforeach()
  target_link_libraries(vx35_${folder} PUBLIC Threads::Threads)
  if(NOT L_PLAIN)
    target_link_libraries(vx35_${folder} PUBLIC Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport)
  endif()
endfunction()

# vx35_test_folder(<folder> [PLAIN] LIBS <libs>...)
# unit_*.cpp, gui_*.cpp and e2e_*.cpp in tests/<folder> become one test
# executable each, labelled unit, gui and e2e.
function(vx35_test_folder folder)
  cmake_parse_arguments(F "PLAIN" "" "LIBS" ${ARGN})
  foreach(kind unit gui e2e)
    file(GLOB files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${kind}_*.cpp)
    if(NOT files)
      continue()
    endif()
    file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support_*.cpp)
    set(timeout 120)
    if(kind STREQUAL "e2e")
      set(timeout 300)
    endif()
    if(F_PLAIN)
      vx35_add_test(NAME ${folder}_${kind}_tests LABEL ${kind} TIMEOUT ${timeout}
                    SOURCES ${files} ${helpers} LIBS ${F_LIBS})
    else()
      vx35_add_test(NAME ${folder}_${kind}_tests LABEL ${kind} TIMEOUT ${timeout} QT
                    SOURCES ${files} ${helpers} LIBS ${F_LIBS})
    endif()
  endforeach()
endfunction()
