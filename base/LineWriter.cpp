#include "LineWriter.h"

#include <charconv>

namespace permuto {

namespace {

// The text is handed on in pieces of about this size.
constexpr size_t Piece = size_t(1) << 20;

} // namespace

void AppendNumbers(std::string& Text, std::initializer_list<int32_t> Numbers)
{
    // Written in place: room for the longest numbers first, cut to what they
    // took after. Most numbers of a patch are below 100.
    const size_t Old = Text.size();
    Text.resize(Old + 12 * Numbers.size());
    char* const Begin = Text.data() + Old;
    char* End = Begin;
    for (const int32_t Number : Numbers) {
        if (End != Begin)
            *End++ = ' ';
        if (static_cast<uint32_t>(Number) < 10) {
            *End++ = static_cast<char>('0' + Number);
        } else if (static_cast<uint32_t>(Number) < 100) {
            *End++ = static_cast<char>('0' + Number / 10);
            *End++ = static_cast<char>('0' + Number % 10);
        } else {
            End = std::to_chars(End, End + 11, Number).ptr;
        }
    }
    Text.resize(Old + static_cast<size_t>(End - Begin));
}

void TLineWriter::EndLine()
{
    FText += "\r\n";
    ++FCount;
    if (FText.size() >= Piece)
        Flush();
}

void TLineWriter::Flush()
{
    if (!FText.empty()) {
        FSink(FText);
        FText.clear();
    }
}

} // namespace permuto
