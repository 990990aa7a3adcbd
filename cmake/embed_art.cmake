# Turns the committed pictures into C++ data in their stored form: a
# length-prefixed class name, then "TPngPicture" followed by the PNG file, or
# "TBitmap" followed by a 32-bit little-endian byte count and the BMP file.
# The pictures drawn at twice and three times the size (the 2x and 3x
# folders) become tables of their own.
# Run in script mode: cmake -DART_DIR=... -DOUTPUT=... -P embed_art.cmake
function(bytes_of_string text out)
  string(HEX "${text}" hex)
  string(REGEX REPLACE "(..)" "0x\\1," hex "${hex}")
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

# Appends the arrays of one folder's pictures to `body` and their table, named
# kEmbeddedPictures<suffix>, with its count.
function(embed_folder dir suffix)
  # The plaque's word in the translations lives in the labels folder.
  file(GLOB pictures "${dir}/*.png" "${dir}/*.bmp" "${dir}/labels/*.png")
  list(SORT pictures)
  set(arrays "")
  set(table "")
  set(count 0)
  foreach(path IN LISTS pictures)
    get_filename_component(name "${path}" NAME_WE)
    get_filename_component(ext "${path}" EXT)
    file(READ "${path}" hex HEX)
    string(LENGTH "${hex}" hexlen)
    math(EXPR size "${hexlen} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
    if(ext STREQUAL ".bmp")
      bytes_of_string("TBitmap" cls)
      math(EXPR b0 "${size} & 255")
      math(EXPR b1 "(${size} >> 8) & 255")
      math(EXPR b2 "(${size} >> 16) & 255")
      math(EXPR b3 "(${size} >> 24) & 255")
      set(prefix "7,${cls}${b0},${b1},${b2},${b3},")
    else()
      bytes_of_string("TPngPicture" cls)
      set(prefix "11,${cls}")
    endif()
    string(APPEND arrays "const uint8_t kPicture${suffix}_${count}[] = {${prefix}\n${hex}};\n")
    string(APPEND table "    {\"${name}\", kPicture${suffix}_${count}, sizeof kPicture${suffix}_${count}},\n")
    math(EXPR count "${count} + 1")
  endforeach()
  set(arrays_${suffix} "${arrays}" PARENT_SCOPE)
  set(table_${suffix} "const EmbeddedPicture kEmbeddedPictures${suffix}[] = {\n${table}    {nullptr, nullptr, 0},\n};\nconst size_t kEmbeddedPictureCount${suffix} = ${count};\n" PARENT_SCOPE)
endfunction()

embed_folder("${ART_DIR}" "")
embed_folder("${ART_DIR}/2x" "2x")
embed_folder("${ART_DIR}/3x" "3x")

set(body "// Generated from src/images/art at build time; do not edit.\n")
string(APPEND body "#include \"images/catalogue.h\"\n\nnamespace gd {\nnamespace {\n")
string(APPEND body "${arrays_}${arrays_2x}${arrays_3x}")
string(APPEND body "}  // namespace\n\n${table_}${table_2x}${table_3x}\n}  // namespace gd\n")
file(WRITE "${OUTPUT}.tmp" "${body}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
