# Writes the BMP files of the editor as byte arrays into one C++ source.
# cmake -DOUTPUT=file.cpp -DFOLDER=bitmaps -DIDS="10001;10002;..." [-DEXT=rle -DTABLE=name] -P embed_bitmaps.cmake
if(NOT EXT)
  set(EXT bmp)
endif()
if(NOT TABLE)
  set(TABLE kEmbeddedBitmaps)
endif()
set(arrays "")
string(REPEAT "0x..," 16 line)
set(table "")
foreach(id IN LISTS IDS)
  file(READ "${FOLDER}/${id}.${EXT}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  # Sixteen bytes a line keeps the generated lines short.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")
  string(APPEND arrays "alignas(4) const std::uint8_t bitmap${id}[${size}] = {\n${bytes}};\n")
  string(APPEND table "    {${id}, bitmap${id}, sizeof bitmap${id}},\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from ${FOLDER} by embed_bitmaps.cmake; do not edit.
#include \"embedded_bitmaps.h\"

namespace velora::resources {

namespace {
${arrays}}  // namespace

const EmbeddedBitmap ${TABLE}[${TABLE}Count] = {
${table}};

}  // namespace velora::resources
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
