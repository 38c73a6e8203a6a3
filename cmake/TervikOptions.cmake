# Compiler settings shared by all of our own targets.
set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)

if(TERVIK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(TERVIK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Warnings are errors for our code; third-party headers come in as system headers.
function(tervik_own_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports false -Wrestrict/-Wstringop-overflow on std::string at -O3.
    target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized -Wno-restrict -Wno-stringop-overflow)
  endif()
endfunction()
