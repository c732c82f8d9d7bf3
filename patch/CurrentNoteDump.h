#pragma once
// The current note dump: triples of 0..127 values, all on the one line after
// the header. Left out of the file when it holds no note, unless the caller
// asks for the empty section.
#include <string_view>
#include <vector>

#include "base/SimpleTypes.h"
#include "PatchText.h"
#include "base/LineWriter.h"

namespace permuto {

struct TNoteDef {
    TSevenBitValue NoteValue1 = 0;
    TSevenBitValue NoteValue2 = 0;
    TSevenBitValue NoteValue3 = 0;
};

class TCurrentNoteDump {
public:
    static constexpr std::string_view SectionName = "CurrentNoteDump";

    const std::vector<TNoteDef>& NoteDefs() const { return FNoteDefs; }
    void Clear() { FNoteDefs.clear(); }
    void Add(const TNoteDef& Note) { FNoteDefs.push_back(Note); }
    void LoadFromStrings(const TPatchText& Text);
    void SaveToStrings(TLineWriter& Lines, bool WriteWhenEmpty = false) const;

private:
    std::vector<TNoteDef> FNoteDefs;
};

} // namespace permuto
