# Include roots. Sources name headers from the repository root
# ("platform/api.h", "imaging/dib_section.h"), yet each library may see only
# its own folders and those of the libraries it links: imaging/ cannot
# include app/ or shell/, and platform/ nothing above it. So each folder
# gets a root of its own in the build tree that holds one link to it, and a
# library exports the roots of its folders.

function(varnel_include_roots target visibility)
  foreach(folder IN LISTS ARGN)
    set(root ${CMAKE_BINARY_DIR}/include/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    target_include_directories(${target} ${visibility} ${root})
  endforeach()
endfunction()
