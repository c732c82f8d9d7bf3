#pragma once
// Patch text is 8-bit bytes, shown as Latin-1: where text must be UTF-8 (an
// SVG file, the browser page), each byte becomes the character it stands for.
#include <string>
#include <string_view>

namespace permuto {

inline void AppendLatin1AsUtf8(std::string& Out, char C)
{
    const auto Byte = static_cast<unsigned char>(C);
    if (Byte < 0x80) {
        Out += C;
    } else {
        Out += static_cast<char>(0xC0 | (Byte >> 6));
        Out += static_cast<char>(0x80 | (Byte & 0x3F));
    }
}

inline std::string Latin1ToUtf8(std::string_view Bytes)
{
    std::string Text;
    Text.reserve(Bytes.size());
    for (const char C : Bytes)
        AppendLatin1AsUtf8(Text, C);
    return Text;
}

} // namespace permuto
