set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# Only what carries an export macro leaves a shared library.
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)

option(VANTREL_WERROR "Treat compiler warnings as errors" ON)
option(VANTREL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VANTREL_BUILD_FUZZERS "Build the libFuzzer targets under fuzz/ (clang; the fuzz preset)" OFF)

add_compile_options(-Wall -Wextra -Wpedantic)
if(VANTREL_WERROR)
  add_compile_options(-Werror)
endif()
# GCC 12 at -O3 reports impossible overlaps inside std::string's own code (GCC bug 105329).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()

if(VANTREL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Windows finds a program's DLLs next to it: every program and DLL of the build goes to one
  # folder, together with the compiler's runtime DLLs, so that tests run under Wine as they are.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  foreach(runtime_dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime_dll}
                    OUTPUT_VARIABLE runtime_dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${runtime_dll_path}")
      message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${runtime_dll} is")
    endif()
    file(COPY ${runtime_dll_path} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  endforeach()
endif()

# Shared libraries resolve every symbol when they are linked, except in the fuzzing build: clang's
# sanitizer runtime lives in the executable that loads them.
set(VANTREL_NO_UNDEFINED "LINKER:--no-undefined")

if(VANTREL_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VANTREL_BUILD_FUZZERS needs clang++ (use the fuzz preset)")
  endif()
  # Everything is instrumented for coverage and checked; only the fuzz targets link libFuzzer itself.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # Destroy releases only objects its factory made, whose type it knows exactly: the destructors are
  # non-virtual by design, which clang (unlike g++) warns about at std::destroy_at.
  add_compile_options(-Wno-delete-non-abstract-non-virtual-dtor)
  set(VANTREL_NO_UNDEFINED "")
endif()
