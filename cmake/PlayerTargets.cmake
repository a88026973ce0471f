# Shared settings for every target of the project.
add_library(player_options INTERFACE)
target_include_directories(player_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(player_options INTERFACE -Wall -Wextra)
target_compile_definitions(player_options INTERFACE UNICODE _UNICODE)
if(PLAYER_SANITIZE)
  target_compile_options(player_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
  target_link_options(player_options INTERFACE -fsanitize=address,undefined)
endif()
if(PLAYER_SANITIZE_THREAD)
  target_compile_options(player_options INTERFACE -fsanitize=thread)
  target_link_options(player_options INTERFACE -fsanitize=thread)
endif()
if(PLAYER_FUZZ)
  # Coverage for libFuzzer in every library; the fuzz targets add the fuzzer's own main.
  target_compile_options(player_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# player_layer(<name> <folder>...): one static library from the sources of the folders.
# The sources are globbed so that adding a file needs no edit here.
function(player_layer name)
  set(sources)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    return()  # nothing built in this layer yet
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC player_options)
endfunction()

# player_order(<folder> <out>): the parts of <folder> as the layers block of docs/DESIGN.md orders
# them, lowest first, with "<" between ranks, so that the build and the layer check share one order.
function(player_order folder out)
  file(STRINGS ${PROJECT_SOURCE_DIR}/docs/DESIGN.md lines REGEX "^order ${folder} ")
  list(LENGTH lines count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "docs/DESIGN.md: the layers block needs one order line for ${folder}/")
  endif()
  string(REGEX REPLACE "^order ${folder} +" "" parts "${lines}")
  string(REGEX REPLACE " +" ";" parts "${parts}")
  set(${out} ${parts} PARENT_SCOPE)
endfunction()

# player_test_suite(<name> <folder> [APP gui|windows|browser [EACH_CASE]] [SUBDIRS <folders...>]
#                   LIBS <libs...>): one GoogleTest executable from a folder and, where a suite
# mirrors a layer's own folders, its sub-folders. Every test is labelled with its suite's name, so
# that a preset can pick whole suites whatever their tests are called. APP runs the tests in a Qt application of that
# kind (tests/support/QtTestApplication.h) and makes one CTest test per fixture, so that the
# application starts once per fixture; EACH_CASE keeps one CTest test per case, for suites whose
# cases take seconds each and gain more from running side by side. Suites without APP get one
# CTest test per case.
function(player_test_suite name dir)
  cmake_parse_arguments(ARG "EACH_CASE" "APP" "LIBS;SUBDIRS" ${ARGN})
  set(sources)
  foreach(sub ${dir} ${ARG_SUBDIRS})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    return()
  endif()
  # A misspelt name would otherwise link as a plain "-l" flag, or not at all, without a word.
  foreach(lib ${ARG_LIBS})
    if(NOT TARGET ${lib})
      message(FATAL_ERROR "${name}: LIBS names ${lib}, which is no library of this build")
    endif()
  endforeach()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} test_main GTest::gtest player_options)
  # Test code is compiled unoptimised with line tables only, still under the sanitizers: that is
  # enough for their reports and halves its compile time. The program's own code keeps -O1 -g.
  target_compile_options(${name} PRIVATE "$<$<CONFIG:Debug>:-O0;-g1>")
  if(ARG_APP)
    set(app_kinds gui windows browser)
    set(app_libs test_gui_app test_window_app test_browser_app)
    list(FIND app_kinds ${ARG_APP} kind)
    if(kind LESS 0)
      message(FATAL_ERROR "${name}: APP is one of ${app_kinds}")
    endif()
    list(GET app_libs ${kind} app_lib)
    target_link_libraries(${name} PRIVATE ${app_lib})
  endif()
  if(NOT ARG_APP OR ARG_EACH_CASE)
    gtest_discover_tests(${name}
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS ${name})
    return()
  endif()
  set(listed ${CMAKE_CURRENT_BINARY_DIR}/${name}_fixtures.cmake)
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -D SUITE=${name} -D PROGRAM=$<TARGET_FILE:${name}> -D WORKDIR=${CMAKE_BINARY_DIR}
            -D OUTPUT=${listed} -P ${PROJECT_SOURCE_DIR}/cmake/FixtureTests.cmake
    BYPRODUCTS ${listed}
    VERBATIM)
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_include.cmake)
  file(WRITE ${include_file}
    "if(EXISTS [==[${listed}]==])\n  include([==[${listed}]==])\nelse()\n  add_test(${name}_NOT_BUILT ${name}_NOT_BUILT)\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()

# player_link_if_present(<target> <libs...>): links the libraries that exist in this build.
function(player_link_if_present target)
  foreach(lib ${ARGN})
    if(TARGET ${lib})
      target_link_libraries(${target} PUBLIC ${lib})
    endif()
  endforeach()
endfunction()

# player_language_files(<target>): keeps a copy of rc/Language beside the target's executable,
# so that a program run from the build tree finds its language files as an installed one does.
function(player_language_files target)
  file(GLOB files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/rc/Language/*.ini)
  get_target_property(dir ${target} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT dir)
    set(dir ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set(copies)
  foreach(file ${files})
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${dir}/Language/${name}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${dir}/Language/${name}
      DEPENDS ${file})
    list(APPEND copies ${dir}/Language/${name})
  endforeach()
  add_custom_target(${target}_language_files DEPENDS ${copies})
  add_dependencies(${target} ${target}_language_files)
endfunction()
