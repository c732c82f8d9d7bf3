#pragma once
// The lines of a text file as read: an ordered, 0-based table of 8-bit text
// lines over one buffer (a file read into a table stays one block of memory
// however many lines it has). Lines are bytes; nothing is ever converted
// between encodings. Once made, a table is only read: every reader may take
// it as const, on any thread.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace permuto {

class TLineTable {
public:
    // Line indices are 32-bit, and a reader may ask for the line after the
    // last one: a table holds at most this many lines (more raise "Integer
    // overflow").
    static constexpr int32_t MaxLines = INT32_MAX - 1;

    TLineTable() = default;
    // Takes Bytes as the text and splits it into lines: a line ends at LF, CR
    // or CR LF; a break at the very end adds no empty line; a NUL byte ends
    // the text.
    explicit TLineTable(std::string Bytes);
    // A table of the given lines.
    explicit TLineTable(const std::vector<std::string_view>& Lines);
    // A copy of lines First .. End-1 of Other.
    TLineTable(const TLineTable& Other, int32_t First, int32_t End);

    int32_t Count() const { return static_cast<int32_t>(FLines.size()); }
    // Checked access: a position outside 0..Count-1 raises EListError.
    std::string_view operator[](int32_t Index) const
    {
        if (Index < 0 || Index >= Count()) [[unlikely]]
            ThrowIndexError(Index);
        const TSpan Span = FLines[static_cast<size_t>(Index)];
        return std::string_view(FText).substr(Span.Start, Span.Length);
    }
    // Where the text stopped at a NUL byte, or -1 when it was read to its end.
    int64_t NulAt() const { return FNulAt; }
    // The lines that begin with "[", ascending: where section headers can stand.
    const std::vector<int32_t>& BracketLines() const { return FBrackets; }
    // The size of the text the lines were taken from.
    size_t TextSize() const { return FText.size(); }
    // The text as it was read (up to a NUL byte): the bytes that every line
    // but the heads of split lines is a part of, at its own place.
    std::string_view Source() const { return std::string_view(FText).substr(0, FSourceSize); }
    // Gives up the table for the text as it was read (Source()).
    std::string TakeSource() &&
    {
        std::string Text = std::move(FText);
        Text.resize(FSourceSize);
        *this = TLineTable();
        return Text;
    }
    // Where Line (a line of this table, as operator[] gave it) begins in Source().
    size_t OffsetOf(std::string_view Line) const { return static_cast<size_t>(Line.data() - FText.data()); }

    // One line made two: Head, then the rest of line Line from byte At on.
    struct TSplit {
        int32_t Line;
        uint32_t At;
        std::string Head;
    };
    // Splits lines, in ascending order of Line, each line at most once. For
    // whoever makes the table, before it is handed to its readers.
    void Split(const std::vector<TSplit>& Splits);

    class TIterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        TIterator() = default;
        TIterator(const TLineTable& Table, int32_t Index) : FTable(&Table), FIndex(Index) {}
        std::string_view operator*() const { return (*FTable)[FIndex]; }
        TIterator& operator++()
        {
            ++FIndex;
            return *this;
        }
        TIterator operator++(int)
        {
            TIterator Before = *this;
            ++FIndex;
            return Before;
        }
        bool operator==(const TIterator& Other) const { return FIndex == Other.FIndex; }

    private:
        const TLineTable* FTable = nullptr;
        int32_t FIndex = 0;
    };
    TIterator begin() const { return {*this, 0}; }
    TIterator end() const { return {*this, Count()}; }

private:
    struct TSpan {
        uint32_t Start;
        uint32_t Length;
    };
    [[noreturn]] static void ThrowIndexError(int32_t Index);
    void FindBrackets();

    std::string FText;
    std::vector<TSpan> FLines;
    std::vector<int32_t> FBrackets;
    int64_t FNulAt = -1;
    size_t FSourceSize = 0;
};

} // namespace permuto
