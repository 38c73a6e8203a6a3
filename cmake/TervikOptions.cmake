# Compiler settings shared by all of our own targets.
set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)

option(TERVIK_TSAN "Build with ThreadSanitizer (no Qt: Debian's Qt is not instrumented)" OFF)
# A package is built with whatever compiler the builder has: a new warning there must
# not stop the build. Developers and CI keep warnings as errors.
if(TERVIK_DEBIAN_PACKAGE)
  set(_tervik_werror_default OFF)
else()
  set(_tervik_werror_default ON)
endif()
option(TERVIK_WERROR "Treat warnings in our own code as errors" ${_tervik_werror_default})

if(TERVIK_TSAN AND (TERVIK_SANITIZE OR TERVIK_FUZZ))
  message(FATAL_ERROR "TERVIK_TSAN cannot be combined with AddressSanitizer (TERVIK_SANITIZE, TERVIK_FUZZ)")
endif()
if(TERVIK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(TERVIK_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
if(TERVIK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Warnings for our code; third-party headers come in as system headers.
function(tervik_own_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion)
  if(TERVIK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports false -Wrestrict/-Wstringop-overflow on std::string at -O3.
    target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized -Wno-restrict -Wno-stringop-overflow)
  endif()
endfunction()
