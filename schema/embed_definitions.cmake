# Writes OUTPUT: a C++ source that holds every file of INPUTS (a ";" list)
# as a string, for EmbeddedDefinitions(). Run at build time (cmake -P).
set(body "")
foreach(path ${INPUTS})
  get_filename_component(name "${path}" NAME)
  file(READ "${path}" text)
  string(FIND "${text}" ")vdef" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${path} holds the text )vdef, which ends the embedded string")
  endif()
  string(APPEND body "      {\"${name}\", R\"vdef(${text})vdef\"},\n")
endforeach()
file(WRITE "${OUTPUT}.tmp"
"// Generated from schema/tables by schema/embed_definitions.cmake; do not edit.
#include \"schema/embedded_definitions.h\"

namespace veltra::schema {

const std::vector<EmbeddedDefinition>& EmbeddedDefinitions() {
  static const std::vector<EmbeddedDefinition> definitions = {
${body}  };
  return definitions;
}

}  // namespace veltra::schema
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
