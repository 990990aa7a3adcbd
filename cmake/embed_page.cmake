# Turns the files of the globe's own page into C++ data (the PageFile table
# of platform/shared/page_files.h), so that a program with no installed page
# can write its own copy. Each file once: the pictures are shared by every
# language's page.
# Run in script mode: cmake -DFILES="a|b" -DOUTPUT=... -P embed_page.cmake
string(REPLACE "|" ";" FILES "${FILES}")
list(SORT FILES)
set(body "// Generated from the page made by glimmer_page at build time; do not edit.\n")
string(APPEND body "#include \"platform/shared/page_files.h\"\n\nnamespace gd {\nnamespace {\n")
set(table "")
set(count 0)
foreach(path IN LISTS FILES)
  get_filename_component(name "${path}" NAME)
  file(READ "${path}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(APPEND body "const uint8_t kPageFile${count}[] = {\n${hex}};\n")
  string(APPEND table "    {\"${name}\", kPageFile${count}, sizeof kPageFile${count}},\n")
  math(EXPR count "${count} + 1")
endforeach()
string(APPEND body "const PageFile kPageFiles[] = {\n${table}};\n}  // namespace\n\n")
string(APPEND body "std::span<const PageFile> EmbeddedPage() { return kPageFiles; }\n\n}  // namespace gd\n")
file(WRITE "${OUTPUT}.tmp" "${body}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
