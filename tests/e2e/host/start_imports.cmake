# Usage: cmake -DOBJDUMP=... -DPROGRAM=... -P start_imports.cmake
# A program may import by name only KnownDLLs (those of Windows 7 and of Windows 10 and 11
# alike), which the system maps from its own folder: any other name is looked for beside the
# program first, where anything may lie.
cmake_minimum_required(VERSION 3.20)
set(known_dlls advapi32 clbcatq comdlg32 difxapi gdi32 imagehlp imm32 kernel32 msctf msvcrt
    normaliz nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32
    ws2_32)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot read the headers of ${PROGRAM}")
endif()
string(TOLOWER "${headers}" headers)
string(REGEX MATCHALL "dll name: [^\n]+" imports "${headers}")
if(NOT imports)
  message(FATAL_ERROR "no imports found in ${PROGRAM}")
endif()
foreach(library comdlg32 shell32 winmm msimg32)
  if(imports MATCHES "dll name: ${library}\\.dll")
    message(FATAL_ERROR "${PROGRAM} imports ${library}.dll at its start: [${imports}]")
  endif()
endforeach()
foreach(import IN LISTS imports)
  string(REGEX REPLACE "^dll name: ([^.]+)\\.dll.*$" "\\1" library "${import}")
  if(NOT library IN_LIST known_dlls)
    message(FATAL_ERROR "${PROGRAM} imports ${library}, which is no KnownDLL: [${imports}]")
  endif()
endforeach()
