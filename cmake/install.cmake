# `cmake --install`: velora-host into bin/, velora.so into a VST 2 folder and
# the velora.lv2 bundle into an LV2 folder.
# With no prefix given, they go to the user's folders: ~/.local/bin, ~/.vst and ~/.lv2.
# With a prefix (at configure or install time) the plug-in goes to
# <prefix>/lib/vst, so --prefix /usr installs system-wide into /usr/lib/vst.
# VELORA_VST_DIR names another folder (relative ones lie under the prefix).
set(VELORA_VST_DIR "" CACHE PATH "Folder for velora.so (default: ~/.vst, or <prefix>/lib/vst with a prefix)")
set(velora_user_prefix "$ENV{HOME}/.local")
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX "${velora_user_prefix}" CACHE PATH "Install prefix" FORCE)
endif()

install(TARGETS velora-host RUNTIME DESTINATION bin)
# The plug-in's folder depends on the prefix in force when installing.
install(CODE "
  set(vst_dir \"${VELORA_VST_DIR}\")
  if(vst_dir STREQUAL \"\")
    if(CMAKE_INSTALL_PREFIX STREQUAL \"${velora_user_prefix}\")
      set(vst_dir \"$ENV{HOME}/.vst\")
    else()
      set(vst_dir \"\${CMAKE_INSTALL_PREFIX}/lib/vst\")
    endif()
  elseif(NOT IS_ABSOLUTE \"\${vst_dir}\")
    set(vst_dir \"\${CMAKE_INSTALL_PREFIX}/\${vst_dir}\")
  endif()
  file(INSTALL DESTINATION \"\${vst_dir}\" TYPE MODULE FILES \"$<TARGET_FILE:velora>\")
")

# The LV2 bundle goes whole into an LV2 folder: ~/.lv2 with no prefix given,
# else <prefix>/lib/lv2; VELORA_LV2_DIR names another (relative: under the prefix).
set(VELORA_LV2_DIR "" CACHE PATH "Folder for velora.lv2 (default: ~/.lv2, or <prefix>/lib/lv2 with a prefix)")
install(CODE "
  set(lv2_dir \"${VELORA_LV2_DIR}\")
  if(lv2_dir STREQUAL \"\")
    if(CMAKE_INSTALL_PREFIX STREQUAL \"${velora_user_prefix}\")
      set(lv2_dir \"$ENV{HOME}/.lv2\")
    else()
      set(lv2_dir \"\${CMAKE_INSTALL_PREFIX}/lib/lv2\")
    endif()
  elseif(NOT IS_ABSOLUTE \"\${lv2_dir}\")
    set(lv2_dir \"\${CMAKE_INSTALL_PREFIX}/\${lv2_dir}\")
  endif()
  file(INSTALL DESTINATION \"\${lv2_dir}\" TYPE DIRECTORY FILES \"${VELORA_LV2_BUNDLE}\")
")
