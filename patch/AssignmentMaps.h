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
    // True when Renumber would change the assignment.
    bool RefersTo(TAreaCode AreaCode, const TRenumbering& Map) const
    {
        return Area == AreaCode && Map(ModuleIndex) != ModuleIndex;
    }

protected:
    bool ReadTarget(std::string_view Line, int32_t& Pos);
};

class TMorphAssignment : public TParameterTarget {
public:
    static constexpr std::string_view SectionName = "MorphMapDump";
    TRange0To3 Morph = 0;
    TSevenBitValue Range = 0;
    bool ReadLine(std::string_view Line); // keeps what was read; always true
    void WriteLine(TLineWriter& Lines) const;
};

class TKnobAssignment : public TParameterTarget {
public:
    static constexpr std::string_view SectionName = "KnobMapDump";
    TSevenBitValue Knob = 0;
    bool ReadLine(std::string_view Line);
    void WriteLine(TLineWriter& Lines) const;
};

class TControlAssignment : public TParameterTarget {
public:
    static constexpr std::string_view SectionName = "ControlMapDump";
    TSevenBitValue Controller = 0;
    bool ReadLine(std::string_view Line);
    void WriteLine(TLineWriter& Lines) const;
};

template <class TAssignment>
class TAssignmentMap {
public:
    using TAssignments = TRecordList<TAssignment>;

    virtual ~TAssignmentMap() = default;
    virtual void Clear() { FAssignments.Clear(); }
    int32_t Count() const { return FAssignments.Count(); }
    const TAssignment& Items(int32_t Index) const { return FAssignments.Items(Index); }
    TAssignments& Assignments() { return FAssignments; }
    const TAssignments& Assignments() const { return FAssignments; }

    // The first section of its kind in the whole list; every line of its body
    // yields one assignment.
    void LoadFromStrings(const TPatchText& Text)
    {
        Clear();
        int32_t Index = 0;
        if (!FindSectionBody(Text, TAssignment::SectionName, Index))
            return;
        ReadBeforeAssignments(Text.Lines(), Index);
        FAssignments.ReadLines(Text.Lines(), Index);
    }

    void SaveToStrings(TLineWriter& Lines) const
    {
        Lines.Add(SectionHeader(TAssignment::SectionName));
        WriteBeforeAssignments(Lines);
        FAssignments.WriteLines(Lines);
        Lines.Add(SectionCloser(TAssignment::SectionName));
    }

    // Keeps the assignments of the area pointing at the same modules.
    void Renumber(TAreaCode AreaCode, const TRenumbering& Map)
    {
        for (TAssignment& Assignment : FAssignments)
            Assignment.Renumber(AreaCode, Map);
    }
    // True when Renumber would change some assignment.
    bool RefersTo(TAreaCode AreaCode, const TRenumbering& Map) const
    {
        for (const TAssignment& Assignment : FAssignments)
            if (Assignment.RefersTo(AreaCode, Map))
                return true;
        return false;
    }

protected:
    virtual void ReadBeforeAssignments(const TLineTable& /*Lines*/, int32_t& /*Index*/) {}
    virtual void WriteBeforeAssignments(TLineWriter& /*Lines*/) const {}

private:
    TAssignments FAssignments;
};

class TMorphKnobValues {
public:
    std::array<TSevenBitValue, 4> Values{};
    // True when all four values read; a value that does not read holds 0 and
    // the values after it are not touched.
    bool ReadLine(std::string_view Line);
    void WriteLine(TLineWriter& Lines) const;
};

class TMorphMapDump : public TAssignmentMap<TMorphAssignment> {
public:
    const TMorphKnobValues& KnobValues() const { return FKnobValues; }
    void Clear() override;

protected:
    void ReadBeforeAssignments(const TLineTable& Lines, int32_t& Index) override;
    void WriteBeforeAssignments(TLineWriter& Lines) const override;

private:
    TMorphKnobValues FKnobValues;
};

using TKnobMapDump = TAssignmentMap<TKnobAssignment>;
using TControlMapDump = TAssignmentMap<TControlAssignment>;

} // namespace permuto
