# Windows programs that are neither the product nor a test (tools/): they
# drive Varnel.exe from outside with the end-to-end tests' driver, or time
# the imaging code, under Wine.

# The main job shown end to end (scripts/run.sh).
add_executable(varnel_demo tools/demo_main.cpp)
target_link_libraries(varnel_demo PRIVATE e2e_driver Varnel::turbojpeg)
add_dependencies(varnel_demo Varnel)
# Capture timings and memory under Wine (scripts/measure-capture.sh). It
# runs the toolkit's capture steps itself too, to show where time goes.
add_executable(capture_measure tools/capture_measure.cpp)
target_include_directories(capture_measure PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(capture_measure PRIVATE e2e_driver varnel_imaging Varnel::turbojpeg psapi)
add_dependencies(capture_measure Varnel)
# The imaging code's timings under Wine, set beside native figures by
# scripts/bench-wine.sh: resampling, and the JPEG writer against a bare
# encoder.
add_executable(imaging_measure tools/imaging_measure.cpp)
target_include_directories(imaging_measure PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(imaging_measure PRIVATE varnel_imaging Varnel::turbojpeg)
# The least a hidden program with a message loop costs, idle: the yardstick
# of Varnel's idle CPU time (scripts/measure-idle.sh).
add_executable(idle_window WIN32 tools/idle_window.cpp)
target_link_options(idle_window PRIVATE -municode)
