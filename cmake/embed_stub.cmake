# Writes the stub's bytes as a C++ array for the host tool.
file(READ ${INPUT} image HEX)
string(LENGTH "${image}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${image}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp "// Generated from the built stub; do not edit.\n#include \"tools/qpsfx/stub_image.h\"\n\nconst unsigned char kStubImage[] = {\n${bytes}};\nconst size_t kStubImageSize = ${size};\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
