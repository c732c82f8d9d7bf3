#pragma once
// The morph, knob and control maps: patch-wide lists that tie one module
// parameter (area, module index, parameter index) to a morph, a knob or a
// controller. The knob and control maps hold one assignment a line; the morph
// map has a line of four knob values and then one line that holds every
// assignment, five numbers each. Area code 2 in a map names the patch's morph
// knobs, not a module area.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "SectionDump.h"

namespace permuto {

// The parameter an assignment refers to.
class TParameterTarget {
public:
    TAreaCode Area = 0; // as the line writes it; 2 names the morph knobs, no area
    int32_t ModuleIndex = 0;
    int32_t ParameterIndex = 0;

    // Renumbers the module when the assignment belongs to the renumbered area.
    void Renumber(TArea Of, const TRenumbering& Map)
    {
        if (Area == CodeOf(Of))
            Map.Apply(ModuleIndex);
    }
    // True when Renumber would change the assignment.
    bool RefersTo(TArea Of, const TRenumbering& Map) const
    {
        return Area == CodeOf(Of) && Map(ModuleIndex) != ModuleIndex;
    }

protected:
    bool ReadTarget(std::string_view Line, int32_t& Pos);
};

class TMorphAssignment : public TParameterTarget {
public:
    static constexpr std::string_view SectionName = "MorphMapDump";
    static constexpr std::string_view LineWord = "morph map";
    TRange0To3 Morph = 0;
    int8_t Range = 0; // -127..127
    // Reads one assignment from Pos on; false when nothing of one can be
    // read there. Whole tells whether all five numbers read (else what was
    // read is kept, and the line holds no further assignment).
    bool ReadGroup(std::string_view Line, int32_t& Pos, bool& Whole);
    // A line holds any number of assignments.
    static void LocateModules(std::string_view Line, TFieldSink& Fields)
    {
        Fields.AddAssignments(Line, 5, true);
    }
    // Appends " area module parameter morph range".
    void AppendTo(std::string& Text) const;
    // A line of one assignment.
    bool ReadLine(std::string_view Line)
    {
        int32_t Pos = 1;
        bool Whole = false;
        return ReadGroup(Line, Pos, Whole);
    }
    void WriteLine(TLineWriter& Lines) const
    {
        Lines.AddLine([this](std::string& Text) {
            std::string Line;
            AppendTo(Line);
            Text.append(Line);
        });
    }
};

class TKnobAssignment : public TParameterTarget {
public:
    static constexpr std::string_view SectionName = "KnobMapDump";
    static constexpr std::string_view LineWord = "knob map";
    static void LocateModules(std::string_view Line, TFieldSink& Fields)
    {
        Fields.AddAssignments(Line, 4, false);
    }
    TSevenBitValue Knob = 0;
    // False for a line of blanks; otherwise keeps what was read.
    bool ReadLine(std::string_view Line);
    void WriteLine(TLineWriter& Lines) const;
};

class TControlAssignment : public TParameterTarget {
public:
    // The editor's header; earlier versions of Permuto wrote the other one,
    // which is read as well.
    static constexpr std::string_view SectionName = "CtrlMapDump";
    static constexpr std::string_view OtherSectionName = "ControlMapDump";
    static constexpr std::string_view LineWord = "control map";
    static void LocateModules(std::string_view Line, TFieldSink& Fields)
    {
        Fields.AddAssignments(Line, 4, false);
    }
    TSevenBitValue Controller = 0;
    // False for a line of blanks; otherwise keeps what was read.
    bool ReadLine(std::string_view Line);
    void WriteLine(TLineWriter& Lines) const;
};

template <class TAssignment>
class TAssignmentMap {
public:
    using TAssignments = TRecordList<TAssignment>;

    TAssignmentMap() = default;
    virtual ~TAssignmentMap() = default;
    // Moved, never copied, without a chance to fail: a document takes a
    // loaded patch over whole.
    TAssignmentMap(TAssignmentMap&&) noexcept = default;
    TAssignmentMap& operator=(TAssignmentMap&&) noexcept = default;
    virtual void Clear()
    {
        FAssignments.Clear();
        FFields.Clear();
    }
    int32_t Count() const { return FAssignments.Count(); }
    const TAssignment& Items(int32_t Index) const { return FAssignments.Items(Index); }
    TAssignments& Assignments() { return FAssignments; }
    const TAssignments& Assignments() const { return FAssignments; }
    // Where the text read holds the map's module numbers.
    const TModuleFields& Fields() const { return FFields; }
    // Hands each module number of the map in Text (the text read) to Sink.
    void LocateModules(std::string_view Text, TFieldSink& Sink) const
    {
        FFields.ForEachLine(Text, [&](std::string_view Line) { TAssignment::LocateModules(Line, Sink); });
    }

    // The first section of its kind in the whole list (under its other
    // header when it has one and the file has no section under the first).
    void LoadFromStrings(const TPatchText& Text)
    {
        Clear();
        int32_t Index = 0;
        bool Found = FindSectionBody(Text, TAssignment::SectionName, Index);
        if constexpr (requires { TAssignment::OtherSectionName; }) {
            if (!Found && Text.Headers(TAssignment::SectionName).empty())
                Found = FindSectionBody(Text, TAssignment::OtherSectionName, Index);
        }
        if (!Found)
            return;
        ReadBeforeAssignments(Text.Lines(), Index);
        const int32_t First = Index;
        TFieldSink Unfollowed;
        ReadAssignments(Text.Lines(), Index, Unfollowed);
        FFields.SetBody(Text.Lines(), First, Index);
        FFields.AddUnfollowed(Unfollowed.Unfollowed());
    }

    void SaveToStrings(TLineWriter& Lines) const
    {
        Lines.Add(SectionHeader(TAssignment::SectionName));
        WriteBeforeAssignments(Lines);
        WriteAssignments(Lines);
        Lines.Add(SectionCloser(TAssignment::SectionName));
    }

    // Keeps the assignments of the area pointing at the same modules.
    void Renumber(TArea Of, const TRenumbering& Map)
    {
        for (TAssignment& Assignment : FAssignments)
            Assignment.Renumber(Of, Map);
    }
    // True when Renumber would change some assignment.
    bool RefersTo(TArea Of, const TRenumbering& Map) const
    {
        for (const TAssignment& Assignment : FAssignments)
            if (Assignment.RefersTo(Of, Map))
                return true;
        return false;
    }

protected:
    virtual void ReadBeforeAssignments(const TLineTable& /*Lines*/, int32_t& /*Index*/) {}
    virtual void WriteBeforeAssignments(TLineWriter& /*Lines*/) const {}
    // Every line of the body up to its end yields one assignment.
    virtual void ReadAssignments(const TLineTable& Lines, int32_t& Index, TFieldSink& Fields)
    {
        FAssignments.ReadLines(Lines, Index, &Fields);
    }

    virtual void WriteAssignments(TLineWriter& Lines) const { FAssignments.WriteLines(Lines); }

    TAssignments FAssignments;
    TModuleFields FFields;
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
    // Any number of assignments on a line; the editor writes them all on one.
    void ReadAssignments(const TLineTable& Lines, int32_t& Index, TFieldSink& Fields) override;
    void WriteAssignments(TLineWriter& Lines) const override;

private:
    TMorphKnobValues FKnobValues;
};

using TKnobMapDump = TAssignmentMap<TKnobAssignment>;
using TControlMapDump = TAssignmentMap<TControlAssignment>;

} // namespace permuto
