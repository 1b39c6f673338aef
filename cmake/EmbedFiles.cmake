# Turns the files of the demo world (scripts, set file, tile attributes) into a C++ source, so
# hlmap carries them and builds the same world wherever it runs.
# Called with -DOUT=file.cpp -DFILES=a;b;c (absolute paths).
set(body "// Generated from the files in demo/ at build time.\n#include \"cli/DemoFiles.h\"\n\nnamespace hl::cli {\n\nnamespace {\n")
set(table "")
set(index 0)
foreach(file IN LISTS FILES)
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  get_filename_component(name "${file}" NAME)
  string(APPEND body "const char kFile${index}[] = {${bytes} 0};\n")
  string(APPEND table "    {\"${name}\", std::string_view(kFile${index}, ${size})},\n")
  math(EXPR index "${index} + 1")
endforeach()
string(APPEND body "}  // namespace\n\nconst std::vector<DemoFile>& DemoFiles() {\n  static const std::vector<DemoFile> files = {\n${table}  };\n  return files;\n}\n\n}  // namespace hl::cli\n")
file(WRITE "${OUT}.tmp" "${body}")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
