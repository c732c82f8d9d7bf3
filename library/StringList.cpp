#include "StringList.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "Errors.h"
#include "Files.h"

namespace permuto {

namespace {

// A writing-only list hands its text on in pieces of about this size.
constexpr size_t SinkPiece = size_t(1) << 20;

// Places in the text are 32-bit.
constexpr size_t MaxText = UINT32_MAX;

} // namespace

void AppendNumbers(std::string& Text, std::initializer_list<int32_t> Numbers)
{
    // Formatted side by side first, then appended at once.
    char Buffer[12 * 24];
    char* End = Buffer;
    bool First = true;
    for (int32_t Number : Numbers) {
        if (End + 12 > Buffer + sizeof Buffer) {
            Text.append(Buffer, End);
            End = Buffer;
        }
        if (!First)
            *End++ = ' ';
        First = false;
        End = std::to_chars(End, Buffer + sizeof Buffer, Number).ptr;
    }
    Text.append(Buffer, End);
}

std::string_view TStringList::operator[](int32_t Index) const
{
    if (Index < 0 || Index >= Count() || FSink)
        throw EListError(Index);
    const TSpan Span = FLines[static_cast<size_t>(Index)];
    return std::string_view(FText).substr(Span.Start, Span.Length);
}

void TStringList::Add(std::string_view Line)
{
    if (Line.data() >= FText.data() && Line.data() < FText.data() + FText.size()) {
        const std::string Copy(Line); // a line of this very list: the text may move as it grows
        AddLine([&Copy](std::string& Text) { Text.append(Copy); });
    } else {
        AddLine([Line](std::string& Text) { Text.append(Line); });
    }
}

void TStringList::CountOneMore()
{
    if (FCount == MaxLines)
        throw EIntOverflow();
    ++FCount;
}

void TStringList::EndLine(size_t Start)
{
    const size_t Length = FText.size() - Start;
    FText += "\r\n";
    if (FSink) {
        ++FCount; // nothing is kept, so nothing can overflow
        if (FText.size() >= SinkPiece)
            Flush();
        return;
    }
    if (FText.size() > MaxText) {
        FText.resize(Start);
        throw EIntOverflow();
    }
    CountOneMore();
    FLines.push_back({static_cast<uint32_t>(Start), static_cast<uint32_t>(Length)});
    if (Length > 0 && FText[Start] == '[')
        FBracketsKnown = false;
}

TStringList::TSpan TStringList::AppendText(std::string_view Line)
{
    if (FText.size() + Line.size() + 2 > MaxText)
        throw EIntOverflow();
    const TSpan Span{static_cast<uint32_t>(FText.size()), static_cast<uint32_t>(Line.size())};
    FText.append(Line);
    FText += "\r\n";
    return Span;
}

void TStringList::Insert(int32_t Index, std::string_view Line)
{
    if (Index < 0 || Index > Count() || FSink)
        throw EListError(Index);
    if (Index == Count()) {
        Add(Line);
        return;
    }
    CountOneMore();
    FLines.insert(FLines.begin() + Index, AppendText(Line));
    FJoined = false;
    FBracketsKnown = false;
}

void TStringList::Replace(int32_t Index, std::string_view Line)
{
    if (Index < 0 || Index >= Count() || FSink)
        throw EListError(Index);
    const std::string Copy(Line); // Line may lie in the text that grows
    FLines[static_cast<size_t>(Index)] = AppendText(Copy);
    FJoined = false;
    FBracketsKnown = false;
}

void TStringList::Clear()
{
    FText.clear();
    FLines.clear();
    FCount = 0;
    FJoined = true;
    FBracketsKnown = false;
}

void TStringList::SetText(std::string Bytes)
{
    Clear();
    const size_t Nul = Bytes.find('\0');
    if (Nul != std::string::npos)
        Bytes.resize(Nul);
    if (Bytes.size() > MaxText)
        throw EIntOverflow();
    FText = std::move(Bytes);
    FJoined = false;
    const char* const Text = FText.data();
    const size_t N = FText.size();
    // One entry per line break is enough room; counting them first keeps
    // the list from growing (and copying itself) while it is filled.
    size_t Breaks = 0;
    for (size_t I = 0; I < N; ++I)
        Breaks += Text[I] == '\n' || Text[I] == '\r';
    if (Breaks + 1 > static_cast<size_t>(MaxLines))
        throw EIntOverflow();
    FLines.reserve(Breaks + 1);
    size_t Start = 0;
    while (Start < N) {
        size_t End = Start;
        while (End < N && Text[End] != '\n' && Text[End] != '\r')
            ++End;
        if (End - Start > static_cast<size_t>(INT32_MAX) - 2)
            throw EIntOverflow(); // positions in a line are 32-bit
        FLines.push_back({static_cast<uint32_t>(Start), static_cast<uint32_t>(End - Start)});
        if (End < N && Text[End] == '\r' && End + 1 < N && Text[End + 1] == '\n')
            ++End;
        Start = End + 1;
    }
    FCount = static_cast<int32_t>(FLines.size());
}

std::string TStringList::Text() const
{
    if (FJoined)
        return FText;
    size_t Size = 0;
    for (const TSpan& Span : FLines)
        Size += Span.Length + 2;
    std::string Result;
    Result.reserve(Size);
    for (const std::string_view Line : *this) {
        Result += Line;
        Result += "\r\n";
    }
    return Result;
}

void TStringList::Flush()
{
    if (FSink && !FText.empty()) {
        FSink(FText);
        FText.clear();
    }
}

void TStringList::LoadFromFile(const std::string& FileName)
{
    SetText(ReadFileBytes(FileName));
}

void TStringList::SaveToFile(const std::string& FileName) const
{
    if (FJoined)
        WriteFileBytes(FileName, FText);
    else
        WriteFileBytes(FileName, Text());
}

int32_t TStringList::NextBracketLine(int32_t From) const
{
    if (!FBracketsKnown) {
        FBracketLines.clear();
        for (int32_t I = 0; I < FCount; ++I) {
            const TSpan Span = FLines[static_cast<size_t>(I)];
            if (Span.Length > 0 && FText[Span.Start] == '[')
                FBracketLines.push_back(I);
        }
        FBracketsKnown = true;
    }
    const auto Found = std::lower_bound(FBracketLines.begin(), FBracketLines.end(), From);
    return Found == FBracketLines.end() ? FCount : *Found;
}

} // namespace permuto
