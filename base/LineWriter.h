#pragma once
// Lines written one after another, each followed by CR LF, handed on as text
// a piece at a time: a save goes to its file while it is made, and a patch is
// never held twice.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace permuto {

// Appends numbers separated by single blanks: "%d %d ... %d".
void AppendNumbers(std::string& Text, std::initializer_list<int32_t> Numbers);

class TLineWriter {
public:
    // Receives the text, CR LF after every line.
    using TSink = std::function<void(std::string_view Bytes)>;

    explicit TLineWriter(TSink Sink) : FSink(std::move(Sink)) {}

    void Add(std::string_view Line)
    {
        FText.append(Line);
        EndLine();
    }
    void AddNumbers(std::initializer_list<int32_t> Numbers)
    {
        AppendNumbers(FText, Numbers);
        EndLine();
    }
    // Appends one line that Write appends to the text it is given (Write
    // must only append, and no line break).
    template <class TWrite>
    void AddLine(TWrite&& Write)
    {
        Write(FText);
        EndLine();
    }
    // How many lines were written.
    int64_t Count() const { return FCount; }
    // Hands on what is still held.
    void Flush();

private:
    void EndLine();

    TSink FSink;
    std::string FText;
    int64_t FCount = 0;
};

// The text that Write (given a writer) writes, as one string.
template <class TWrite>
std::string WrittenText(TWrite&& Write)
{
    std::string Text;
    TLineWriter Writer([&Text](std::string_view Bytes) { Text.append(Bytes); });
    Write(Writer);
    Writer.Flush();
    return Text;
}

} // namespace permuto
