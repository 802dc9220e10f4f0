# Fails when a binary needs a library beyond the C and C++ runtime:
# it must load on machines without X (render servers, containers).
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
