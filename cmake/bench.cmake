# Benchmarks (Google Benchmark), native build only; scripts/bench.sh runs
# them. They use the simulated platform.
find_package(benchmark REQUIRED)
add_executable(varnel_bench bench/jpeg_bench.cpp)
target_link_libraries(varnel_bench PRIVATE varnel_imaging Varnel::turbojpeg benchmark::benchmark
                      benchmark::benchmark_main)
