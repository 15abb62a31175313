# Turns a binary file into a C++ byte array and its 32-bit length.
# Run as: cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=Name -P EmbedFile.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR byte_count "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Break the single long line so compilers and editors stay comfortable.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT_NAME} by EmbedFile.cmake; do not edit.\n"
  "#include \"assets/embedded_images.h\"\n\n"
  "namespace marvolet {\n\n"
  "extern const unsigned char ${SYMBOL}[] = {\n${bytes}\n};\n"
  "extern const uint32_t ${SYMBOL}Length = ${byte_count}u;\n\n"
  "}  // namespace marvolet\n")
