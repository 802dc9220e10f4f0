# SPDX-License-Identifier: MIT
# The LV2 user interface, velora_ui.so in the bundle folder: the editor on a
# mirror of the plug-in's values. Debian's lv2-dev headers; header-only.
find_path(VELORA_LV2_INCLUDE lv2/core/lv2.h REQUIRED)

add_library(velora_lv2_ui STATIC ui_mirror.cpp notify_reader.cpp ui_host_features.cpp)
target_include_directories(velora_lv2_ui PUBLIC ${VELORA_LV2_INCLUDE})
target_link_libraries(velora_lv2_ui PUBLIC velora_shell)

add_library(velora_ui MODULE ui_entry.cpp)
target_include_directories(velora_ui PRIVATE ${VELORA_XLIB_INCLUDE})
target_link_libraries(velora_ui PRIVATE velora_lv2_ui velora_gui_x11 velora_resources)
# Nothing but lv2ui_descriptor leaves the library.
velora_lv2_module(velora_ui)

# The bundle target (velora_lv2_bundle, made later in tools/) includes the
# user interface, so every build of the bundle, the release's too, has it.
function(velora_ui_into_bundle)
  if(TARGET velora_lv2_bundle)
    add_dependencies(velora_lv2_bundle velora_ui)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL velora_ui_into_bundle)
