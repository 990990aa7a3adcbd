# Turns the compiled message catalogues (one LANGUAGE.mo per language, made by
# msgfmt from po/LANGUAGE.po) into C++ data, so that every build of the
# program, the Windows .exe among them, carries its translations inside.
# Run in script mode: cmake -DMO_FILES="a.mo|b.mo" -DOUTPUT=... -P embed_catalogues.cmake
string(REPLACE "|" ";" MO_FILES "${MO_FILES}")
list(SORT MO_FILES)
set(body "// Generated from po/*.po at build time; do not edit.\n")
string(APPEND body "#include \"i18n/translation.h\"\n\nnamespace gd {\nnamespace {\n")
set(table "")
set(count 0)
foreach(path IN LISTS MO_FILES)
  get_filename_component(language "${path}" NAME_WE)
  file(READ "${path}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(APPEND body "const uint8_t kCatalogue${count}[] = {\n${hex}};\n")
  string(APPEND table "    {\"${language}\", kCatalogue${count}, sizeof kCatalogue${count}},\n")
  math(EXPR count "${count} + 1")
endforeach()
string(APPEND body "}  // namespace\n\nextern const EmbeddedCatalogue kEmbeddedCatalogues[] = {\n${table}    {nullptr, nullptr, 0},\n};\n")
string(APPEND body "extern const size_t kEmbeddedCatalogueCount = ${count};\n\n}  // namespace gd\n")
file(WRITE "${OUTPUT}.tmp" "${body}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
