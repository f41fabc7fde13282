# Tests. Contract tests are written once and built for both backends:
# natively against the simulated platform, and with MinGW against the real
# one, run under Wine (see scripts/wine-run.sh, the cross-compiling
# emulator). The simulated platform's own tests run natively only.

if(WIN32)
  # MinGW has no GoogleTest of its own: it is built from source, by default
  # the sources Debian's googletest package installs.
  set(VARNEL_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build for MinGW-w64")
  if(NOT EXISTS ${VARNEL_GTEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${VARNEL_GTEST_SOURCE_DIR}: install googletest or set VARNEL_GTEST_SOURCE_DIR")
  endif()
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VARNEL_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set(VARNEL_GTEST gtest)
else()
  find_package(GTest REQUIRED)
  set(VARNEL_GTEST GTest::gtest)
endif()

# What the tests need from the machine they run on (tests/support/), the
# same header for both backends, each with its own implementation.
add_library(varnel_test_support STATIC
  tests/support/${VARNEL_BACKEND}/test_support.cpp
  tests/support/${VARNEL_BACKEND}/test_desktop.cpp)
target_link_libraries(varnel_test_support PUBLIC varnel_platform ${VARNEL_GTEST})
# Tests may reach every folder, the simulated platform's internals included.
target_include_directories(varnel_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

file(GLOB VARNEL_CONTRACT_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/contract/*.cpp)
add_executable(contract_tests ${VARNEL_CONTRACT_TESTS} tests/test_main.cpp tests/gdi_leak_check.cpp)
# The JPEG tests decode what the program wrote with libjpeg-turbo.
target_link_libraries(contract_tests PRIVATE varnel_core varnel_test_support Varnel::turbojpeg)
add_test(NAME contract_tests COMMAND contract_tests)

if(NOT WIN32)
  file(GLOB VARNEL_SIM_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/sim/*.cpp)
  add_executable(sim_tests ${VARNEL_SIM_TESTS} tests/test_main.cpp tests/gdi_leak_check.cpp)
  target_link_libraries(sim_tests PRIVATE varnel_core varnel_test_support Varnel::turbojpeg)
  add_test(NAME sim_tests COMMAND sim_tests)
  if(NOT VARNEL_SANITIZE)
    # The project's own scripts: the test summary and the choice of Wine loader.
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    add_test(NAME script_tests COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/tests/scripts/script_tests.py)
    # The downloads: built by scripts/package.sh, then once more from a copy
    # of the sources elsewhere, which must give the same bytes.
    add_test(NAME package_tests COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/tests/scripts/package_tests.py)
    # clang-tidy's checks (.clang-tidy) over our sources, when it is installed.
    find_program(VARNEL_CLANG_TIDY NAMES clang-tidy clang-tidy-14)
    if(VARNEL_CLANG_TIDY)
      add_test(NAME clang_tidy COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/clang-tidy.sh ${CMAKE_BINARY_DIR})
      set_tests_properties(clang_tidy PROPERTIES ENVIRONMENT CLANG_TIDY=${VARNEL_CLANG_TIDY})
    else()
      message(STATUS "clang-tidy not found: its checks are left out of the tests")
    endif()
    # The layout (.clang-format) of our sources, with the clang-format 14
    # that scripts/setup.sh installs; a missing one fails the check.
    add_test(NAME clang_format COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/clang-format.sh)
  endif()
else()
  # End-to-end drivers: small programs of ours that run Varnel.exe under
  # Wine and act on it from outside, as a user's tools would, through the
  # driver that the tests and the tools share. The picture of a
  # program of the other bitness comes from the other Windows build's
  # clip_putter.exe (the test command builds both).
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(other_putter "${CMAKE_SOURCE_DIR}/build/win32/clip_putter.exe")
  else()
    set(other_putter "${CMAKE_SOURCE_DIR}/build/win64/clip_putter.exe")
  endif()
  add_library(e2e_driver STATIC tests/support/win32/driver.cpp)
  target_include_directories(e2e_driver PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(e2e_driver PRIVATE VARNEL_EXE_DIR="${CMAKE_BINARY_DIR}"
    VARNEL_OTHER_PUTTER="${other_putter}")
  target_link_libraries(e2e_driver PUBLIC shell32 advapi32 gdi32 user32)
  unset(other_putter)

  file(GLOB VARNEL_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/wine/*_test.cpp)
  list(FILTER VARNEL_E2E_TESTS EXCLUDE REGEX "/(installer|two_monitors)_e2e_test\\.cpp$")
  add_executable(e2e_tests ${VARNEL_E2E_TESTS} tests/test_main.cpp)
  target_link_libraries(e2e_tests PRIVATE e2e_driver varnel_test_support ${VARNEL_GTEST} Varnel::turbojpeg)
  add_executable(clip_putter tests/wine/clip_putter.cpp)
  target_link_libraries(clip_putter PRIVATE e2e_driver)
  add_executable(open_recorder WIN32 tests/wine/open_recorder.cpp)
  target_link_options(open_recorder PRIVATE -municode)
  add_dependencies(e2e_tests Varnel open_recorder clip_putter)
  # Run with small file systems of their own for the full and read-only disks.
  add_test(NAME e2e_tests COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/wine/e2e-mounts.sh $<TARGET_FILE:e2e_tests>)

  # A whole-desktop picture cut to the monitor under the pointer, on a
  # display with two monitors side by side, in a fresh prefix (a prefix's
  # Wine server keeps to the display it started on).
  add_executable(two_monitor_tests tests/wine/two_monitors_e2e_test.cpp tests/test_main.cpp)
  target_link_libraries(two_monitor_tests PRIVATE e2e_driver varnel_test_support ${VARNEL_GTEST} Varnel::turbojpeg)
  add_dependencies(two_monitor_tests Varnel)
  add_test(NAME two_monitor_tests COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/wine/two-monitors.sh
    ${CMAKE_BINARY_DIR}/two-monitor-prefix $<TARGET_FILE:two_monitor_tests>)

  # The installer end to end, in a fresh prefix. scripts/package.sh builds
  # it (the test command runs that first). The x86 installer is the one that
  # ships; the x86_64 tests run the same script built as a 64-bit program,
  # which takes the same 64-bit path on 64-bit Windows and also runs where
  # 32-bit programs cannot.
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(setup "${CMAKE_SOURCE_DIR}/build/package/Varnel-${PROJECT_VERSION}-setup-amd64.exe")
  else()
    set(setup "${CMAKE_SOURCE_DIR}/dist/Varnel-${PROJECT_VERSION}-setup.exe")
  endif()
  add_executable(installer_tests tests/wine/installer_e2e_test.cpp tests/test_main.cpp)
  target_link_libraries(installer_tests PRIVATE e2e_driver ${VARNEL_GTEST} version)
  target_compile_definitions(installer_tests PRIVATE VARNEL_VERSION="${PROJECT_VERSION}" VARNEL_SETUP_EXE="${setup}")
  add_test(NAME installer_tests COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/wine/fresh-prefix.sh
    ${CMAKE_BINARY_DIR}/installer-prefix $<TARGET_FILE:installer_tests>)
  unset(setup)
endif()

if(WIN32)
  include(cmake/tools.cmake)
endif()
