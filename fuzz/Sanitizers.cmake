# Compiler flags of the fuzz build: every library is compiled with the sanitizers and libFuzzer's coverage
# instrumentation; the fuzz targets link libFuzzer's main (fuzz/CMakeLists.txt).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "QZ_FUZZ needs clang with libFuzzer; configure a fresh build folder: "
                      "cmake -S . -B build-fuzz -G Ninja -DQZ_FUZZ=ON")
endif()
set(QZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${QZ_SANITIZERS} -fsanitize=fuzzer-no-link)
add_link_options(${QZ_SANITIZERS})
