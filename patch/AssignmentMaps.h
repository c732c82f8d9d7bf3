#pragma once
// The morph, knob and control maps: patch-wide lists that tie one module
// parameter (area, module index, parameter index) to a morph, a knob or a
// controller. All three read and write the same way; the morph map has a line
// of four knob values before its assignments.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "SectionDump.h"

namespace permuto {

// The parameter an assignment refers to.
class TParameterTarget {
public:
    TAreaCode Area = 0;
    int32_t ModuleIndex = 0;
    int32_t ParameterIndex = 0;

    // Renumbers the module when the assignment belongs to the renumbered area.
    void Renumber(TAreaCode AreaCode, const TRenumbering& Map)
    {
        if (Area == AreaCode)
            Map.Apply(ModuleIndex);
    }

protected:
    bool ReadTarget(const std::string& Line, int32_t& Pos);
};

class TMorphAssignment : public TParameterTarget {
public:
    static constexpr std::string_view SectionName = "MorphMapDump";
    TRange0To3 Morph = 0;
    TSevenBitValue Range = 0;
    bool ReadLine(const std::string& Line); // keeps what was read; always true
    void WriteLine(TStringList& Lines) const;
};

class TKnobAssignment : public TParameterTarget {
public:
    static constexpr std::string_view SectionName = "KnobMapDump";
    TSevenBitValue Knob = 0;
    bool ReadLine(const std::string& Line);
    void WriteLine(TStringList& Lines) const;
};

class TControlAssignment : public TParameterTarget {
public:
    static constexpr std::string_view SectionName = "ControlMapDump";
    TSevenBitValue Controller = 0;
    bool ReadLine(const std::string& Line);
    void WriteLine(TStringList& Lines) const;
};

template <class TAssignment>
class TAssignmentMap {
public:
    TRecordList<TAssignment> Assignments;

    virtual ~TAssignmentMap() = default;
    virtual void Clear() { Assignments.Clear(); }

    // The first section of its kind in the whole list; every line of its body
    // yields one assignment.
    void LoadFromStrings(const TStringList& Lines)
    {
        Clear();
        int32_t Index = FindLineStartingWith(Lines, SectionPrefix(TAssignment::SectionName)) + 1;
        if (Index >= Lines.Count())
            return; // no header, or the header is the last line
        ReadBeforeAssignments(Lines, Index);
        Assignments.ReadLines(Lines, Index);
    }

    void SaveToStrings(TStringList& Lines) const
    {
        Lines.Add(SectionHeader(TAssignment::SectionName));
        WriteBeforeAssignments(Lines);
        Assignments.WriteLines(Lines);
        Lines.Add(SectionCloser(TAssignment::SectionName));
    }

    // Keeps the assignments of the area pointing at the same modules.
    void Renumber(TAreaCode AreaCode, const TRenumbering& Map)
    {
        for (TAssignment& Assignment : Assignments)
            Assignment.Renumber(AreaCode, Map);
    }

protected:
    virtual void ReadBeforeAssignments(const TStringList& /*Lines*/, int32_t& /*Index*/) {}
    virtual void WriteBeforeAssignments(TStringList& /*Lines*/) const {}
};

class TMorphKnobValues {
public:
    std::array<TSevenBitValue, 4> Values{};
    // Moves past the line only when all four values read.
    void ReadLine(const TStringList& Lines, int32_t& Index);
    void WriteLine(TStringList& Lines) const;
};

class TMorphMapDump : public TAssignmentMap<TMorphAssignment> {
public:
    TMorphKnobValues KnobValues;
    void Clear() override;

protected:
    void ReadBeforeAssignments(const TStringList& Lines, int32_t& Index) override;
    void WriteBeforeAssignments(TStringList& Lines) const override;
};

using TKnobMapDump = TAssignmentMap<TKnobAssignment>;
using TControlMapDump = TAssignmentMap<TControlAssignment>;

} // namespace permuto
