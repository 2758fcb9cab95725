# Project-wide compile settings and small helpers shared by every folder.

# Flags for our own targets only (third-party code such as GoogleTest keeps its own).
add_library(mirokan_options INTERFACE)
target_compile_options(mirokan_options INTERFACE -Wall -Wextra -Werror -Wno-missing-field-initializers)
target_include_directories(mirokan_options INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)

# The one version number (project() in the top CMakeLists.txt), for sources and resources.
configure_file(${PROJECT_SOURCE_DIR}/resources/mirokan_version.h.in
               ${PROJECT_BINARY_DIR}/generated/mirokan_version.h @ONLY)

if(MIROKAN_SANITIZE)
  target_compile_options(mirokan_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                   -fno-sanitize-recover=all)
  target_link_options(mirokan_options INTERFACE -fsanitize=address,undefined)
endif()

if(WIN32)
  target_compile_definitions(mirokan_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                       _WIN32_WINNT=0x0601 WINVER=0x0601)
  # A clean Windows has no MinGW runtime DLLs: link the C, C++ and thread runtimes in.
  target_link_options(mirokan_options INTERFACE -static -static-libgcc -static-libstdc++)
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
endif()

# mirokan_library(name SOURCES... [WIN32_SOURCES...] [LIBS...])
# A static library of portable sources; files named win32_* join it only in the Windows build.
function(mirokan_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;WIN32_SOURCES;LIBS;WIN32_LIBS" ${ARGN})
  set(sources ${ARG_SOURCES})
  if(WIN32)
    list(APPEND sources ${ARG_WIN32_SOURCES})
  endif()
  if(NOT sources)
    # Nothing portable yet and not a Windows build: an empty interface keeps links uniform.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE mirokan_options ${ARG_LIBS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC mirokan_options ${ARG_LIBS})
  if(WIN32)
    target_link_libraries(${name} PUBLIC ${ARG_WIN32_LIBS})
  endif()
endfunction()

# GoogleTest: the system package natively; for the cross build, the sources Debian ships
# (MSYS2 users get it from find_package instead).
macro(mirokan_find_gtest)
  if(NOT TARGET GTest::gtest_main)
    find_package(GTest QUIET)
    if(NOT GTest_FOUND)
      set(MIROKAN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
      set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
      set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      add_subdirectory(${MIROKAN_GTEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
      if(WIN32)
        target_link_options(gtest PUBLIC -static -static-libgcc -static-libstdc++)
      endif()
      if(NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
      endif()
    endif()
  endif()
endmacro()
