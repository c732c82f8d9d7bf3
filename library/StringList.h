#pragma once
// An ordered, 0-based list of 8-bit text lines: the whole of a patch file or of
// the module library while it is read or written. Lines are bytes; nothing is
// ever converted between encodings.
//
// The list keeps all of its text in one buffer and each line as a place in
// it, so a file read into a list stays one block of memory however many
// lines it has, and lines written to a list go straight into the text that
// will be stored. A list made with a sink only collects lines for writing:
// it hands its text to the sink piece by piece and keeps none of it.
#include <climits>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace permuto {

// Appends numbers separated by single blanks: "%d %d ... %d".
void AppendNumbers(std::string& Text, std::initializer_list<int32_t> Numbers);

class TStringList {
public:
    // Line indices are 32-bit, and a reader may ask for the line after the
    // last one: a list holds at most this many lines (more raise "Integer
    // overflow").
    static constexpr int32_t MaxLines = INT32_MAX - 1;
    // Receives the text of a writing-only list, CR LF after every line.
    using TSink = std::function<void(std::string_view Bytes)>;

    TStringList() = default;
    explicit TStringList(TSink Sink) : FSink(std::move(Sink)) {}

    int32_t Count() const { return FCount; }
    // Checked access: a position outside 0..Count-1 raises EListError. The
    // view stays valid until the list is changed.
    std::string_view operator[](int32_t Index) const
    {
        if (Index < 0 || Index >= FCount || FSink) [[unlikely]]
            ThrowIndexError(Index);
        const TSpan Span = FLines[static_cast<size_t>(Index)];
        return std::string_view(FText).substr(Span.Start, Span.Length);
    }

    void Add(std::string_view Line);
    void AddNumbers(std::initializer_list<int32_t> Numbers)
    {
        AddLine([Numbers](std::string& Text) { AppendNumbers(Text, Numbers); });
    }
    // Appends one line that Write appends to the text it is given (which
    // holds what came before; Write must only append, and no line break).
    template <class TWrite>
    void AddLine(TWrite&& Write)
    {
        const size_t Start = FText.size();
        Write(FText);
        EndLine(Start);
    }
    void Insert(int32_t Index, std::string_view Line);
    void Replace(int32_t Index, std::string_view Line);
    void Clear();

    // Takes Bytes as the list's text and splits it into lines: a line ends at
    // LF, CR or CR LF; a break at the very end adds no empty line; a NUL byte
    // ends the text.
    void SetText(std::string Bytes);
    // Where SetText found a NUL byte (and stopped), or -1 when it read all.
    int64_t NulAt() const { return FNulAt; }
    // Room for Lines more lines of Bytes more text, taken at once.
    void Reserve(size_t Lines, size_t Bytes);
    // Every line followed by CR LF, the last one too.
    std::string Text() const;
    // Hands what a writing-only list still holds to its sink.
    void Flush();

    // Reads a file (ReadFileBytes); raises EFOpenError and leaves the list
    // unchanged when the file cannot be read.
    void LoadFromFile(const std::string& FileName);
    // Writes the lines with CR LF (WriteFileBytes); raises EFCreateError and
    // leaves the old file as it was when it cannot be written.
    void SaveToFile(const std::string& FileName) const;

    // The first line at or after From that begins with "[", or Count() when
    // there is none: the lines where section headers can stand.
    int32_t NextBracketLine(int32_t From) const;

    class TIterator {
    public:
        TIterator(const TStringList& List, int32_t Index) : FList(&List), FIndex(Index) {}
        std::string_view operator*() const { return (*FList)[FIndex]; }
        TIterator& operator++()
        {
            ++FIndex;
            return *this;
        }
        bool operator!=(const TIterator& Other) const { return FIndex != Other.FIndex; }

    private:
        const TStringList* FList;
        int32_t FIndex;
    };
    TIterator begin() const { return {*this, 0}; }
    TIterator end() const { return {*this, FCount}; }

private:
    struct TSpan {
        uint32_t Start;
        uint32_t Length;
    };

    [[noreturn]] static void ThrowIndexError(int32_t Index);
    void EndLine(size_t Start);
    TSpan AppendText(std::string_view Line);

    std::string FText;
    std::vector<TSpan> FLines; // not kept by a writing-only list
    int32_t FCount = 0;
    // FText is exactly the lines in order, each followed by CR LF.
    bool FJoined = true;
    int64_t FNulAt = -1;
    TSink FSink;
    mutable std::vector<int32_t> FBracketLines;
    mutable bool FBracketsKnown = false;
};

} // namespace permuto
