# `cmake --install`: velora-host into bin/ and velora.so into a VST 2 folder.
# With no prefix given, both go to the user's folders: ~/.local/bin and ~/.vst.
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
