# Fails when the plug-in file needs a library beyond the C and C++ runtime:
# hosts on machines without X (render servers, containers) must load it.
# Usage: cmake -DLIBRARY=path/velora.so -P runtime_only_dependencies.cmake
execute_process(COMMAND readelf -d ${LIBRARY} OUTPUT_VARIABLE dynamic RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "readelf could not read ${LIBRARY}")
endif()
string(REGEX MATCHALL "Shared library: \\[[^]]+\\]" needed "${dynamic}")
foreach(entry IN LISTS needed)
  if(NOT entry MATCHES "\\[(libstdc\\+\\+|libgcc_s|libc|libm|ld-linux[^]]*)\\.so")
    message(FATAL_ERROR "${LIBRARY} needs ${entry}")
  endif()
endforeach()
message(STATUS "${LIBRARY}: ${needed}")
