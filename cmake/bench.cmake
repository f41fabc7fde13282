# Benchmarks (native build only): Google Benchmark, every bench/*.cpp in one
# program, varnel_bench. OpenCV, when present, is the yardstick for the
# resampling figures; it is used by the benchmarks and nothing else.

find_package(OpenCV QUIET COMPONENTS core imgproc)

file(GLOB VARNEL_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/bench/*.cpp)
add_executable(varnel_bench ${VARNEL_BENCH_SOURCES})
target_link_libraries(varnel_bench PRIVATE varnel_imaging benchmark::benchmark Varnel::turbojpeg)
target_include_directories(varnel_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
if(OpenCV_FOUND)
  target_compile_definitions(varnel_bench PRIVATE VARNEL_BENCH_OPENCV=1)
  target_include_directories(varnel_bench SYSTEM PRIVATE ${OpenCV_INCLUDE_DIRS})
  target_link_libraries(varnel_bench PRIVATE opencv_core opencv_imgproc)
  message(STATUS "Benchmarks: OpenCV ${OpenCV_VERSION} found, comparisons built")
else()
  message(STATUS "Benchmarks: OpenCV not found, comparisons left out")
endif()

# libpng's writer with its defaults is the yardstick for the PNG encoder.
find_package(PNG REQUIRED)
target_link_libraries(varnel_bench PRIVATE PNG::PNG)
