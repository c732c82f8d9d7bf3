#pragma once
// What the module library says about the module types of one patch, held
// against what the patch itself shows of them. Every parameter line tells a
// type's number of parameters, and every cable end a connector number that
// its module's type has on that side (inputs for kind 0, outputs for kind 1).
// A library that holds no entry for a type, or whose entry contradicts the
// patch, does not describe that type: its modules show as "type N" and get
// plain boxes, so that a library written for other patches never puts a
// wrong name on a module.
#include <cstdint>
#include <string>
#include <unordered_map>

namespace permuto {

class TIndexedDescriptors;
class TModuleDescriptor;
class TPatchDef;

class TModuleTypes {
public:
    // Describes no type.
    TModuleTypes() = default;
    // Judges Library against Patch; Library must outlive this object.
    TModuleTypes(const TPatchDef& Patch, const TIndexedDescriptors& Library);

    // The library's entry for Type, or nullptr when it does not describe it.
    const TModuleDescriptor* Find(int32_t Type) const;
    // The entry's name, or "type N".
    std::string Name(int32_t Type) const;
    // How many of the patch's types the library does not describe: those it
    // has no entry for, and those it contradicts.
    int32_t Undescribed() const { return FUndescribed; }
    int32_t Contradicted() const { return FContradicted; }

private:
    std::unordered_map<int32_t, const TModuleDescriptor*> FDescribed;
    int32_t FUndescribed = 0;
    int32_t FContradicted = 0;
};

// "3 module types of this patch are not described by the module library (1
// of them contradicts it) and show as "type N"; ..." with How (how to choose
// another library) at the end; empty when every type is described.
std::string UndescribedTypesMessage(const TModuleTypes& Types, const std::string& How);

} // namespace permuto
