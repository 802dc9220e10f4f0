# Writes or checks the committed glyph data (glyph_data.cpp) and the
# fingerprints of the font files it was made from (glyph_fonts.sha256).
#   cmake -DMODE=write|check -DGENERATOR=glyph_generator -DDATA_DIR=dir "-DFACES=f|f|..." -P glyph_data.cmake
# check compares a fresh rasterisation with the committed data when the
# installed fonts are the ones it was made from, and says so when they are not.
string(REPLACE "|" ";" FACES "${FACES}")
set(data ${DATA_DIR}/glyph_data.cpp)
set(record ${DATA_DIR}/glyph_fonts.sha256)

set(fingerprints "")
foreach(face IN LISTS FACES)
  string(REPLACE "," ";" parts "${face}")
  list(GET parts 2 font)
  file(SHA256 ${font} hash)
  get_filename_component(name ${font} NAME)
  string(APPEND fingerprints "${hash}  ${name}\n")
endforeach()

if(MODE STREQUAL "write")
  execute_process(COMMAND ${GENERATOR} ${data} ${FACES} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "glyph_generator failed")
  endif()
  file(WRITE ${record} "${fingerprints}")
  return()
endif()

file(READ ${record} recorded)
if(NOT recorded STREQUAL fingerprints)
  message("SKIPPED: the installed fonts are not the ones the committed glyph data was made from:\n"
          "made from:\n${recorded}installed:\n${fingerprints}"
          "Run the build target `glyphs` to make the data from these fonts (the editor's pixels change).")
  return()
endif()
string(RANDOM LENGTH 8 suffix)
set(fresh ${CMAKE_CURRENT_BINARY_DIR}/glyph_data_${suffix}.cpp)
execute_process(COMMAND ${GENERATOR} ${fresh} ${FACES} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "glyph_generator failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${fresh} ${data} RESULT_VARIABLE differs)
file(REMOVE ${fresh})
if(differs)
  message(FATAL_ERROR "${data} is not what glyph_generator makes from the installed fonts")
endif()
message(STATUS "committed glyph data matches the generator")
