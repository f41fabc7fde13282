# Warnings for our own code. Every target this folder defines (the product,
# its tests, tools and benchmarks) gets them; GoogleTest, added from its own
# folder for MinGW, and the prebuilt libjpeg-turbo keep their own flags.
# A warning stops the build: turn VARNEL_WERROR off only to try a compiler
# newer than the one the project is built with.

option(VARNEL_WERROR "Treat warnings in our own code as errors" ON)

set(VARNEL_WARNINGS -Wall -Wextra -Wshadow -Wconversion -Wsign-conversion)
if(VARNEL_WERROR)
  list(APPEND VARNEL_WARNINGS -Werror)
endif()

function(varnel_apply_warnings)
  get_property(targets DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      # The compiler's warnings only: the resource compiler takes no -W.
      target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:${VARNEL_WARNINGS}>)
    endif()
  endforeach()
endfunction()
