# Compiler flags of the fuzz build: every library is compiled with the sanitizers and libFuzzer's coverage
# instrumentation; the fuzz targets link libFuzzer's main (fuzz/CMakeLists.txt).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "QZ_FUZZ needs clang with libFuzzer; configure a fresh build folder: "
                      "cmake -S . -B build-fuzz -G Ninja -DQZ_FUZZ=ON")
endif()
# The sanitizers themselves are set in the top-level CMakeLists.txt (shared with the sanitizer build).
add_compile_options(-fsanitize=fuzzer-no-link)
