# Benchmarks of the alternative compressibility methods (SGERG-88, AGA NX-19, AGA8 DETAIL in the
# 1994 report structure, the 12-component AGA8 calculator), one call per iteration.
project_benchmark(gasprops_extended_bench
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ExtendedMethodsBenchmark.cpp
  LIBS gasprops)
