# libjpeg-turbo's TurboJPEG API as the imported target Varnel::turbojpeg.
# Natively it is Debian's libturbojpeg0-dev; for MinGW-w64 it is the static
# build that scripts/build-libjpeg-turbo-mingw.sh leaves in the build folder.

if(WIN32)
  set(VARNEL_TURBOJPEG_ROOT "${CMAKE_SOURCE_DIR}/build/third_party/${VARNEL_MINGW}"
      CACHE PATH "Static libjpeg-turbo for this MinGW-w64 target")
  # Outside the toolchain's sysroot, so the find-root re-rooting is off.
  find_library(VARNEL_TURBOJPEG_LIBRARY NAMES libturbojpeg.a
               HINTS "${VARNEL_TURBOJPEG_ROOT}/lib" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  find_path(VARNEL_TURBOJPEG_INCLUDE_DIR turbojpeg.h
            HINTS "${VARNEL_TURBOJPEG_ROOT}/include" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  set(hint "run scripts/build-libjpeg-turbo-mingw.sh ${VARNEL_MINGW} first")
else()
  find_library(VARNEL_TURBOJPEG_LIBRARY NAMES turbojpeg)
  find_path(VARNEL_TURBOJPEG_INCLUDE_DIR turbojpeg.h)
  set(hint "install libturbojpeg0-dev")
endif()

if(NOT VARNEL_TURBOJPEG_LIBRARY OR NOT VARNEL_TURBOJPEG_INCLUDE_DIR)
  message(FATAL_ERROR "libjpeg-turbo's TurboJPEG library not found: ${hint}")
endif()

add_library(Varnel::turbojpeg UNKNOWN IMPORTED)
set_target_properties(Varnel::turbojpeg PROPERTIES
  IMPORTED_LOCATION "${VARNEL_TURBOJPEG_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${VARNEL_TURBOJPEG_INCLUDE_DIR}")
unset(hint)
