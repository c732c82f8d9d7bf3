#include "ModuleTypes.h"

#include <climits>
#include <tuple>
#include <unordered_set>

#include "PatchDefs.h"
#include "modules/Descript.h"
#include "base/Errors.h"

namespace permuto {

TModuleTypes::TModuleTypes(const TPatchDef& Patch, const TIndexedDescriptors& Library)
{
    // Every type the patch uses, with the library's entry while nothing
    // contradicts it.
    std::unordered_map<int32_t, const TModuleDescriptor*> Entries;
    std::unordered_set<int32_t> Contradicted;
    const auto Entry = [&](int32_t Type) {
        const auto [Found, New] = Entries.try_emplace(Type, nullptr);
        if (New)
            Found->second = Library.FindByType(Type);
        return Found->second;
    };
    for (const TArea Area : BothAreas) {
        // The type of each index; an index that two modules of different
        // types share tells nothing about its cables.
        std::unordered_map<int32_t, int32_t> TypeAt;
        constexpr int32_t Ambiguous = INT32_MIN;
        const TModuleDefs& Modules = Patch.ModuleDumps[Area].Modules();
        for (int32_t I = 0; I < Modules.Count(); ++I) {
            const TModuleDef& Module = Modules.Items(I);
            Entry(Module.ModuleType);
            const auto [Found, New] = TypeAt.try_emplace(Module.ModuleIndex, Module.ModuleType);
            if (!New && Found->second != Module.ModuleType)
                Found->second = Ambiguous;
        }
        // A line without values is no evidence: it may be one that did not
        // read whole.
        const TParameters& Parameters = Patch.ParameterDumps[Area].ParameterLines();
        for (int32_t I = 0; I < Parameters.Count(); ++I) {
            const TParameterLine& Line = Parameters.Items(I);
            if (Line.Count() == 0)
                continue;
            if (const TModuleDescriptor* Type = Entry(Line.ModuleType); Type != nullptr && Type->Parameters.Count() != Line.Count())
                Contradicted.insert(Line.ModuleType);
        }
        const TCableDefs& Cables = Patch.CableDumps[Area].Cables();
        for (int32_t I = 0; I < Cables.Count(); ++I) {
            const TCableDef& Cable = Cables.Items(I);
            for (const auto& [Module, Connector, Kind] : {std::tuple(Cable.Module1, Cable.Connector1, Cable.ConnectorKind1),
                                                          std::tuple(Cable.Module2, Cable.Connector2, Cable.ConnectorKind2)}) {
                const auto Found = TypeAt.find(Module);
                if (Found == TypeAt.end() || Found->second == Ambiguous)
                    continue;
                const TModuleDescriptor* Type = Entry(Found->second);
                if (Type == nullptr)
                    continue;
                const int32_t Has = Kind == 1 ? Type->Outputs.Count() : Type->Inputs.Count();
                if (Connector < 0 || Connector >= Has)
                    Contradicted.insert(Found->second);
            }
        }
    }
    for (const auto& [Type, Descriptor] : Entries) {
        if (Descriptor != nullptr && Contradicted.count(Type) == 0)
            FDescribed.emplace(Type, Descriptor);
        else
            ++FUndescribed;
    }
    FContradicted = static_cast<int32_t>(Contradicted.size());
}

const TModuleDescriptor* TModuleTypes::Find(int32_t Type) const
{
    const auto Found = FDescribed.find(Type);
    return Found != FDescribed.end() ? Found->second : nullptr;
}

std::string TModuleTypes::Name(int32_t Type) const
{
    const TModuleDescriptor* Descriptor = Find(Type);
    return Descriptor != nullptr ? Descriptor->Name : "type " + std::to_string(Type);
}

std::string UndescribedTypesMessage(const TModuleTypes& Types, const std::string& How)
{
    const int32_t Count = Types.Undescribed();
    if (Count == 0)
        return {};
    std::string Message = Count == 1 ? "1 module type of this patch is" : std::to_string(Count) + " module types of this patch are";
    Message += " not described by the module library";
    if (Types.Contradicted() > 0)
        Message += Format(" (%d contradicted by the patch)", Types.Contradicted());
    Message += Count == 1 ? " and shows as \"type N\"" : " and show as \"type N\"";
    return Message + "; " + How;
}

} // namespace permuto
