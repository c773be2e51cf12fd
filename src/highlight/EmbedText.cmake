# Writes a C++ source that defines qs::BuiltinVocabularyText() with the bytes of INPUT.
# Run as: cmake -DINPUT=... -DOUTPUT=... -P EmbedText.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Break the initializer into lines of 24 bytes so the generated file stays readable.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} at build time; do not edit.\n"
"#include \"highlight/BuiltinVocabulary.h\"\n\n"
"namespace qs {\n\nnamespace {\nconst unsigned char kText[] = {\n${bytes}\n0};\n} // namespace\n\n"
"std::string_view BuiltinVocabularyText() { return {reinterpret_cast<const char*>(kText), ${size}}; }\n\n} // namespace qs\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
