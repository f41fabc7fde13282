# libdeflate, the PNG encoder's compression, as the imported target
# Varnel::deflate: a static build of Debian's source package with the
# project's patch, which scripts/build-libdeflate.sh leaves in the build
# folder for this machine and for each MinGW-w64 target.

if(WIN32)
  set(triplet ${VARNEL_MINGW})
else()
  set(triplet ${CMAKE_LIBRARY_ARCHITECTURE})
endif()
set(VARNEL_LIBDEFLATE_ROOT "${CMAKE_SOURCE_DIR}/build/third_party/${triplet}"
    CACHE PATH "Static libdeflate with scripts/libdeflate-sync.patch for this target")
# Outside the toolchain's sysroot, so the find-root re-rooting is off; and
# never Debian's libdeflate-dev, which lacks the patch.
set(where HINTS "${VARNEL_LIBDEFLATE_ROOT}/lib" "${VARNEL_LIBDEFLATE_ROOT}/include"
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_library(VARNEL_LIBDEFLATE_LIBRARY NAMES libdeflate.a ${where})
find_path(VARNEL_LIBDEFLATE_INCLUDE_DIR libdeflate.h ${where})
if(NOT VARNEL_LIBDEFLATE_LIBRARY OR NOT VARNEL_LIBDEFLATE_INCLUDE_DIR)
  message(FATAL_ERROR "libdeflate not found in ${VARNEL_LIBDEFLATE_ROOT}: run scripts/build-libdeflate.sh ${triplet} first")
endif()

add_library(Varnel::deflate STATIC IMPORTED)
set_target_properties(Varnel::deflate PROPERTIES
  IMPORTED_LOCATION "${VARNEL_LIBDEFLATE_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${VARNEL_LIBDEFLATE_INCLUDE_DIR}")
unset(where)
unset(triplet)
