# SPDX-License-Identifier: MIT
# The LV2 user interface: its mirror of the plug-in (no window system), and
# the real thing in jalv under an Xvfb and a JACK dummy server of the test's own.
add_executable(lv2_ui_tests ui_mirror_test.cpp notify_reader_test.cpp ui_scale_test.cpp)
target_link_libraries(lv2_ui_tests PRIVATE velora_lv2_ui velora_gui_headless GTest::gtest_main)
target_include_directories(lv2_ui_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
gtest_discover_tests(lv2_ui_tests)

# The binary's entry as a host loads it.
add_executable(lv2_ui_descriptor_tests ui_descriptor_test.cpp)
target_link_libraries(lv2_ui_descriptor_tests PRIVATE velora_src_include GTest::gtest_main ${CMAKE_DL_LIBS})
target_include_directories(lv2_ui_descriptor_tests PRIVATE ${VELORA_LV2_INCLUDE})
add_dependencies(lv2_ui_descriptor_tests velora_ui)
target_compile_definitions(lv2_ui_descriptor_tests PRIVATE VELORA_UI_BINARY="$<TARGET_FILE:velora_ui>")
gtest_discover_tests(lv2_ui_descriptor_tests)

# jalv.gtk3 embedding the user interface, driven by xdotool; about 10 s.
# Labelled `display` like the other tests that start an X server.
# Not in sanitizer builds: jalv would load binaries that need a sanitizer runtime it lacks.
if(NOT (VELORA_SANITIZE OR VELORA_TSAN))
  find_package(X11 REQUIRED)
  find_package(PNG REQUIRED)
  add_executable(lv2_jalv_tests jalv_ui_test.cpp ${CMAKE_SOURCE_DIR}/tests/display/x_server.cpp)
  target_link_libraries(lv2_jalv_tests PRIVATE velora_editor_layout X11::X11 PNG::PNG GTest::gtest_main)
  target_include_directories(lv2_jalv_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  # The real bundle: every build that has these tests makes it.
  add_dependencies(lv2_jalv_tests velora_ui velora_lv2_bundle velora-editor-picture)
  set(lv2_jalv_work ${CMAKE_CURRENT_BINARY_DIR}/jalv)
  file(MAKE_DIRECTORY ${lv2_jalv_work})
  target_compile_definitions(lv2_jalv_tests PRIVATE
    VELORA_TEST_WORK="${lv2_jalv_work}" VELORA_UI_BINARY="$<TARGET_FILE:velora_ui>"
    VELORA_PICTURE_PROGRAM="$<TARGET_FILE:velora-editor-picture>" VELORA_PLUGIN_BUNDLE="${VELORA_LV2_BUNDLE}")
  gtest_discover_tests(lv2_jalv_tests PROPERTIES LABELS display)
endif()
