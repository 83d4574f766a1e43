# The build number: given with -DKESTRO_BUILD_NUMBER=N, otherwise the commit
# count, counted anew at every configure (scripts/build.sh configures every
# time). The file version is MAJOR.MINOR.0.BUILD, which the About window shows
# as "MAJOR.MINOR" and "0.BUILD". Windows Installer compares only the first
# three fields of a product version, so the packages carry MAJOR.MINOR.BUILD:
# a later build is then a newer product.
set(KESTRO_BUILD_NUMBER "" CACHE STRING "Build number (empty: the commit count)")
set(KESTRO_BUILD "${KESTRO_BUILD_NUMBER}")
if(KESTRO_BUILD STREQUAL "")
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-list --count HEAD
      WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}" RESULT_VARIABLE git_status
      OUTPUT_VARIABLE KESTRO_BUILD OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(NOT GIT_FOUND OR NOT git_status EQUAL 0)
    message(WARNING "No git history to count the build number from: the build number is 0 "
                    "(give one with -DKESTRO_BUILD_NUMBER=N)")
    set(KESTRO_BUILD 0)
  endif()
endif()
# 65535 is the largest number a version field holds; the test packages of the
# install test use the next build number too.
if(NOT KESTRO_BUILD MATCHES "^[0-9]+$" OR KESTRO_BUILD GREATER 65534)
  message(FATAL_ERROR "KESTRO_BUILD_NUMBER '${KESTRO_BUILD}' is no number from 0 to 65534")
endif()
math(EXPR KESTRO_BUILD "${KESTRO_BUILD}")  # no leading zeros

set(KESTRO_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.${KESTRO_BUILD}")
set(KESTRO_PRODUCT_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${KESTRO_BUILD}")
message(STATUS "Kestro ${KESTRO_FILE_VERSION}")

# KestroVersion.h, for the programs' version resources.
set(KESTRO_GENERATED_DIR "${CMAKE_BINARY_DIR}/generated")
configure_file("${CMAKE_CURRENT_LIST_DIR}/KestroVersion.h.in"
  "${KESTRO_GENERATED_DIR}/KestroVersion.h" @ONLY)
include_directories("${KESTRO_GENERATED_DIR}")
