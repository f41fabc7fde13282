# libjpeg-turbo as two imported targets: Varnel::jpeg, the libjpeg API the
# JPEG library encodes with, and Varnel::turbojpeg, the TurboJPEG API the
# tests and benchmarks decode and compare with. Natively they are Debian's
# libjpeg62-turbo-dev and libturbojpeg0-dev; for MinGW-w64 they are the
# static build that scripts/build-libjpeg-turbo-mingw.sh leaves in the build
# folder.

if(WIN32)
  set(VARNEL_TURBOJPEG_ROOT "${CMAKE_SOURCE_DIR}/build/third_party/${VARNEL_MINGW}"
      CACHE PATH "Static libjpeg-turbo for this MinGW-w64 target")
  # Outside the toolchain's sysroot, so the find-root re-rooting is off.
  set(where HINTS "${VARNEL_TURBOJPEG_ROOT}/lib" "${VARNEL_TURBOJPEG_ROOT}/include"
      NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  find_library(VARNEL_TURBOJPEG_LIBRARY NAMES libturbojpeg.a ${where})
  find_path(VARNEL_TURBOJPEG_INCLUDE_DIR turbojpeg.h ${where})
  find_library(VARNEL_JPEG_LIBRARY NAMES libjpeg.a ${where})
  find_path(VARNEL_JPEG_INCLUDE_DIR jpeglib.h ${where})
  set(hint "run scripts/build-libjpeg-turbo-mingw.sh ${VARNEL_MINGW} first")
  unset(where)
else()
  find_library(VARNEL_TURBOJPEG_LIBRARY NAMES turbojpeg)
  find_path(VARNEL_TURBOJPEG_INCLUDE_DIR turbojpeg.h)
  find_library(VARNEL_JPEG_LIBRARY NAMES jpeg)
  find_path(VARNEL_JPEG_INCLUDE_DIR jpeglib.h)
  set(hint "install libturbojpeg0-dev and libjpeg62-turbo-dev")
endif()

if(NOT VARNEL_TURBOJPEG_LIBRARY OR NOT VARNEL_TURBOJPEG_INCLUDE_DIR OR NOT VARNEL_JPEG_LIBRARY OR
   NOT VARNEL_JPEG_INCLUDE_DIR)
  message(FATAL_ERROR "libjpeg-turbo not found: ${hint}")
endif()

add_library(Varnel::turbojpeg UNKNOWN IMPORTED)
set_target_properties(Varnel::turbojpeg PROPERTIES
  IMPORTED_LOCATION "${VARNEL_TURBOJPEG_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${VARNEL_TURBOJPEG_INCLUDE_DIR}")
add_library(Varnel::jpeg UNKNOWN IMPORTED)
set_target_properties(Varnel::jpeg PROPERTIES
  IMPORTED_LOCATION "${VARNEL_JPEG_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${VARNEL_JPEG_INCLUDE_DIR}")
unset(hint)
