# GoogleTest built from Debian's source package (googletest, in
# /usr/src/googletest) for a target that has no prebuilt copy: the Windows
# cross-build. Gives the same imported names as find_package(GTest).
set(TOVA_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${TOVA_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${TOVA_GOOGLETEST_SOURCE}: install googletest")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${TOVA_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(lib gtest gtest_main gmock gmock_main)
  # Not our code: our warnings-as-errors would only get in its way.
  get_target_property(options ${lib} COMPILE_OPTIONS)
  if(options)
    list(REMOVE_ITEM options -Werror)
    set_target_properties(${lib} PROPERTIES COMPILE_OPTIONS "${options}")
  endif()
  if(NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()
