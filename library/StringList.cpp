#include "StringList.h"

#include <climits>

#include "Errors.h"
#include "Files.h"

namespace permuto {

const std::string& TStringList::operator[](int32_t Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(Index);
    return FLines[static_cast<size_t>(Index)];
}

std::string& TStringList::operator[](int32_t Index)
{
    if (Index < 0 || Index >= Count())
        throw EListError(Index);
    return FLines[static_cast<size_t>(Index)];
}

void TStringList::Add(std::string Line)
{
    if (Count() == MaxLines)
        throw EIntOverflow();
    FLines.push_back(std::move(Line));
}

void TStringList::Insert(int32_t Index, std::string Line)
{
    if (Index < 0 || Index > Count())
        throw EListError(Index);
    if (Count() == MaxLines)
        throw EIntOverflow();
    FLines.insert(FLines.begin() + Index, std::move(Line));
}

void TStringList::SetText(std::string_view Bytes)
{
    FLines.clear();
    const size_t Nul = Bytes.find('\0');
    if (Nul != std::string_view::npos)
        Bytes = Bytes.substr(0, Nul);
    size_t Start = 0;
    const size_t N = Bytes.size();
    while (Start < N) {
        size_t End = Start;
        while (End < N && Bytes[End] != '\n' && Bytes[End] != '\r')
            ++End;
        if (End - Start > static_cast<size_t>(INT32_MAX) - 2)
            throw EIntOverflow(); // positions in a line are 32-bit
        FLines.emplace_back(Bytes.substr(Start, End - Start));
        if (End < N && Bytes[End] == '\r' && End + 1 < N && Bytes[End + 1] == '\n')
            ++End;
        Start = End + 1;
    }
    if (FLines.size() > static_cast<size_t>(MaxLines))
        throw EIntOverflow();
}

std::string TStringList::Text() const
{
    size_t Size = 0;
    for (const std::string& Line : FLines)
        Size += Line.size() + 2;
    std::string Result;
    Result.reserve(Size);
    for (const std::string& Line : FLines) {
        Result += Line;
        Result += "\r\n";
    }
    return Result;
}

void TStringList::LoadFromFile(const std::string& FileName)
{
    SetText(ReadFileBytes(FileName));
}

void TStringList::SaveToFile(const std::string& FileName) const
{
    WriteFileBytes(FileName, Text());
}

} // namespace permuto
