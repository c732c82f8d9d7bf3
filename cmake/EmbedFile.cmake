# Writes a C++ source that holds the bytes of INPUT as an array named SYMBOL.
#   cmake -DINPUT=... -DOUTPUT=... -DSYMBOL=... -P EmbedFile.cmake
file(READ "${INPUT}" Hex HEX)
string(LENGTH "${Hex}" HexLength)
math(EXPR Size "${HexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," Bytes "${Hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n    " Bytes "${Bytes}")
file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUT}; do not edit.\n#include <cstddef>\n\nnamespace permuto {\nextern const unsigned char ${SYMBOL}[] = {\n    ${Bytes}\n};\nextern const std::size_t ${SYMBOL}Size = ${Size};\n} // namespace permuto\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
