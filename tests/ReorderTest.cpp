// Renumbering by a mapping, signal flow, late connections, ordering and
// moving: hand-worked patches, then generated ones checked against a plain
// brute-force reading of the rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <numeric>
#include <random>
#include <set>

#include "TestHelpers.h"
#include "base/Errors.h"
#include "flow/FewestLate.h"
#include "patch/PatchDefs.h"

using namespace permuto;
using namespace permuto::test;

namespace {

using TFeeds = std::vector<TFeed>;

} // namespace

namespace permuto {
void PrintTo(const TFeed& Feed, std::ostream* Out)
{
    *Out << Feed.Source << "->" << Feed.Destination;
}
} // namespace permuto

namespace {

// A patch of one poly area (and an untouched common area) from module
// indices and cable lines "m1 c1 k1 m2 c2 k2".
std::string PatchText(const std::vector<int>& Poly, const std::vector<std::string>& Cables,
                      const std::vector<std::string>& Extra = {})
{
    std::string T = "Version=t\r\n0\r\n[ModuleDump]\r\n1\r\n";
    for (int I : Poly)
        T += std::to_string(I) + " 3 0 " + std::to_string(I) + "\r\n";
    T += "[ModuleDump]\r\n0\r\n1 2 0 0\r\n2 2 0 1\r\n[CableDump]\r\n1\r\n";
    for (const std::string& C : Cables)
        T += "0 " + C + "\r\n";
    T += "[CableDump]\r\n0\r\n0 2 0 1 1 0 0\r\n";
    for (const std::string& Line : Extra)
        T += Line + "\r\n";
    return T;
}

void Load(TPatchDef& Patch, const std::string& Text)
{
    Patch.LoadFromStrings(TPatchText(Text));
}

// The poly module indices in dump order.
std::vector<int32_t> PolyIndices(const TPatchDef& Patch)
{
    std::vector<int32_t> Result;
    for (const TModuleDef& M : Patch.ModuleDumps[AreaPoly].Modules())
        Result.push_back(M.ModuleIndex);
    return Result;
}

} // namespace

TEST(Renumber, EveryReferenceOfTheAreaFollowsTheMapping)
{
    TPatchDef Patch;
    Load(Patch, PatchText({1, 2, 3}, {"1 0 1 2 0 0", "3 1 1 9 0 0"},
                          {"[ParameterDump]", "1", "2 3 1 5", "[ParameterDump]", "0", "2 2 1 7", "[CustomDump]", "1",
                           "3 1 0", "[NameDump]", "1", "1 One", "3 Three", "[KnobMapDump]", "1 3 0 1", "0 3 0 2",
                           "2 3 0 3", "[ControlMapDump]", "1 1 0 9", "[MorphMapDump]", "0 0 0 0", "1 2 0 0 1"}));
    Patch.Renumber(AreaPoly, TRenumbering({{1, 3}, {3, 7}, {2, 2}}));
    EXPECT_EQ(PolyIndices(Patch), (std::vector<int32_t>{3, 2, 7}));
    const TCableDefs& Cables = Patch.CableDumps[AreaPoly].Cables();
    EXPECT_EQ(std::pair(Cables.Items(0).Module1, Cables.Items(0).Module2), std::pair(3, 2));
    EXPECT_EQ(std::pair(Cables.Items(1).Module1, Cables.Items(1).Module2), std::pair(7, 9)); // 9 is not mapped
    EXPECT_EQ(Patch.ParameterDumps[AreaPoly].Items(0).ModuleIndex, 2);
    EXPECT_EQ(Patch.ParameterDumps[AreaCommon].Items(0).ModuleIndex, 2); // the other area stays
    EXPECT_EQ(Patch.CustomDumps[AreaPoly].Items(0).ModuleIndex, 7);
    EXPECT_EQ(Patch.NameDumps[AreaPoly].FindName(3), "One");
    EXPECT_EQ(Patch.NameDumps[AreaPoly].FindName(7), "Three");
    const auto& Knobs = Patch.KnobMapDump.Assignments();
    EXPECT_EQ(Knobs.Items(0).ModuleIndex, 7); // area 1
    EXPECT_EQ(Knobs.Items(1).ModuleIndex, 3); // area 0
    EXPECT_EQ(Knobs.Items(2).ModuleIndex, 3); // area 2 is neither
    EXPECT_EQ(Patch.ControlMapDump.Assignments().Items(0).ModuleIndex, 3);
    EXPECT_EQ(Patch.MorphMapDump.Assignments().Items(0).ModuleIndex, 2);
}

TEST(Renumber, LookupAgreesForCloseAndScatteredIndices)
{
    for (const std::vector<TRenumbering::TPair>& Pairs :
         {std::vector<TRenumbering::TPair>{{5, 6}, {6, 5}, {7, 7}},
          std::vector<TRenumbering::TPair>{{INT32_MIN, 0}, {INT32_MAX, -1}, {0, INT32_MIN}}}) {
        const TRenumbering Map(Pairs);
        const TRenumbering Back = Map.Inverse();
        for (const auto& [From, To] : Pairs) {
            EXPECT_EQ(Map(From), To);
            EXPECT_EQ(Back(To), From);
        }
        for (int32_t Other : {4, 8, 1000, -7})
            EXPECT_EQ(Map(Other), Other);
    }
    EXPECT_TRUE(TRenumbering::Swap(4, 4).IsIdentity());
    EXPECT_FALSE(TRenumbering::Swap(4, 5).IsIdentity());
}

struct TFlowCase {
    const char* Name;
    std::vector<int> Modules;
    std::vector<std::string> Cables;
    TFeeds Late;
    std::vector<int32_t> Ordered; // module indices in dump order after ordering
};

void PrintTo(const TFlowCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class SignalFlow : public ::testing::TestWithParam<TFlowCase> {};

TEST_P(SignalFlow, LateConnectionsAndOrder)
{
    const TFlowCase& C = GetParam();
    TPatchDef Patch;
    Load(Patch, PatchText(C.Modules, C.Cables));
    EXPECT_EQ(LateConnections(Patch, AreaPoly), C.Late);
    const std::string Before = SavedText(Patch);
    const TRenumbering Map = ApplyOrder(Patch, AreaPoly);
    EXPECT_EQ(PolyIndices(Patch), C.Ordered);
    EXPECT_EQ(LateConnections(Patch, AreaCommon), (TFeeds{{2, 1}})); // the common area was not touched
    Patch.Renumber(AreaPoly, Map.Inverse());
    EXPECT_EQ(SavedText(Patch), Before);
}

INSTANTIATE_TEST_SUITE_P(
    HandWorked, SignalFlow,
    ::testing::Values(
        // 3 -> 2 -> 1: both connections late; ordering reverses the chain.
        TFlowCase{"Chain", {1, 2, 3}, {"3 0 1 2 0 0", "2 0 1 1 0 0"}, {{2, 1}, {3, 2}}, {3, 2, 1}},
        // Ends may be written either way round; an output feeding two inputs.
        TFlowCase{"Fanout", {1, 2, 3}, {"2 0 0 3 0 1", "3 0 1 1 0 0"}, {{3, 1}, {3, 2}}, {2, 3, 1}},
        // Input to input: 4 feeds 2 and, through 2's input, 1 as well.
        TFlowCase{"InputChain", {1, 2, 4}, {"4 0 1 2 0 0", "2 0 0 1 1 0"}, {{4, 1}, {4, 2}}, {2, 4, 1}},
        // Sparse indices keep their set: 10, 20, 35.
        TFlowCase{"Sparse", {10, 20, 35}, {"35 0 1 10 0 0"}, {{35, 10}}, {35, 10, 20}},
        // A loop 2 <-> 4 fed from 5 and feeding 1; 3 stands alone. The loop
        // keeps its order; 3, the lowest index free to go, goes first.
        TFlowCase{"FeedbackLoop",
                  {1, 2, 3, 4, 5},
                  {"5 0 1 2 0 0", "2 0 1 4 0 0", "4 0 1 2 1 0", "4 1 1 1 0 0"},
                  {{4, 1}, {4, 2}, {5, 2}},
                  {5, 3, 1, 4, 2}},
        // Feeding itself and cables to modules that do not exist count for nothing.
        TFlowCase{"SelfAndMissing", {1, 2}, {"2 0 1 2 1 0", "9 0 1 1 0 0", "2 3 1 7 0 0"}, {}, {1, 2}},
        // Already in order: nothing changes.
        TFlowCase{"InOrder", {1, 2, 3}, {"1 0 1 2 0 0", "2 0 1 3 0 0", "1 1 1 3 1 0"}, {}, {1, 2, 3}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

// A net of many outputs and many inputs feeds every input from every
// output: its pairs are counted and listed in order without being made all
// at once, and a listing can stop early. Here two such nets join the same
// modules: each pair counts once.
TEST(SignalFlow, NetsOfManyOutputsAndInputsAreCountedWithoutTheirPairs)
{
    constexpr int Side = 1000;
    std::vector<int> Modules;
    std::vector<std::string> Cables;
    for (int I = 1; I <= 2 * Side; ++I) {
        Modules.push_back(I);
        for (const char* Connector : {"0", "1"}) // every end joined to module 1's input; the upper half are outputs
            if (I > 1)
                Cables.push_back(std::string("1 ") + Connector + " 0 " + std::to_string(I) + " " + Connector + " " +
                                 (I > Side ? "1" : "0"));
    }
    TPatchDef Patch;
    Load(Patch, PatchText(Modules, Cables));
    const TLateFlow Flow = LateFlowOf(Patch, AreaPoly);
    EXPECT_EQ(Flow.CountLate().Late, uint64_t{Side} * Side);
    std::vector<uint32_t> Inputs;
    EXPECT_TRUE(Flow.LateInputCounts(Inputs));
    EXPECT_EQ(Inputs[0], static_cast<uint32_t>(Side));
    EXPECT_FALSE(Flow.LateInputCounts(Inputs, 1000)); // a budget too small says so
    TFeeds First;
    Flow.ForEachLate([&](const TFeed& Feed) {
        First.push_back(Feed);
        return First.size() < 3;
    });
    EXPECT_EQ(First, (TFeeds{{Side + 1, 1}, {Side + 1, 2}, {Side + 1, 3}}));
}

// Feedback groups, the late pairs inside them, and the order with the
// fewest late pairs inside each group, worked out by hand.
struct TLoopCase {
    const char* Name;
    std::vector<int> Modules;
    std::vector<std::string> Cables;
    std::vector<std::vector<int32_t>> Groups;
    TLateCount Late;
    // After each order, the new index of each module, in dump order.
    std::vector<int32_t> Kept, Fewest;
};

void PrintTo(const TLoopCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class Loops : public ::testing::TestWithParam<TLoopCase> {};

TEST_P(Loops, GroupsCountsAndTheFewestLateOrder)
{
    const TLoopCase& C = GetParam();
    TPatchDef Patch;
    Load(Patch, PatchText(C.Modules, C.Cables));
    const TSignalFlow Flow = SignalFlowOf(Patch, AreaPoly);
    EXPECT_EQ(Flow.FeedbackGroups(), C.Groups);
    EXPECT_EQ(Flow.CountLate().Late, C.Late.Late);
    EXPECT_EQ(Flow.CountLate().InsideLoops, C.Late.InsideLoops);
    TPatchDef Kept, Fewest;
    Load(Kept, PatchText(C.Modules, C.Cables));
    Load(Fewest, PatchText(C.Modules, C.Cables));
    ApplyOrder(Kept, AreaPoly);
    ApplyOrder(Fewest, AreaPoly, true);
    EXPECT_EQ(PolyIndices(Kept), C.Kept);
    EXPECT_EQ(PolyIndices(Fewest), C.Fewest);
    EXPECT_LE(SignalFlowOf(Fewest, AreaPoly).CountLate().Late, SignalFlowOf(Kept, AreaPoly).CountLate().Late);
}

INSTANTIATE_TEST_SUITE_P(
    HandWorked, Loops,
    ::testing::Values(
        // 1 -> 3 -> 2 -> 1: kept, 3 -> 2 and 2 -> 1 are late; the best
        // arrangement has one late pair, and of those (1 3 2), (2 1 3) and
        // (3 2 1) the lowest sequence of indices is 1 3 2.
        TLoopCase{"Cycle", {1, 2, 3}, {"1 0 1 3 0 0", "3 0 1 2 0 0", "2 0 1 1 0 0"}, {{1, 2, 3}}, {2, 2}, {1, 2, 3}, {1, 3, 2}},
        // Sparse indices, and two loops: 10 -> 40 -> 20 -> 10 and 30 <-> 50
        // (late: 40 -> 20, 20 -> 10, 50 -> 30). The loop holding 10 goes
        // first and takes 10, 20, 30; kept, 40 becomes 30; with the fewest,
        // its order is 10 40 20 (one late pair, the lowest sequence of those
        // with one). 30 <-> 50 has one late pair whatever its order.
        TLoopCase{"TwoLoopsSparse",
                  {10, 20, 30, 40, 50},
                  {"10 0 1 40 0 0", "40 0 1 20 0 0", "20 0 1 10 0 0", "30 0 1 50 0 0", "50 0 1 30 0 0"},
                  {{10, 20, 40}, {30, 50}},
                  {3, 3},
                  {10, 20, 40, 30, 50},
                  {10, 30, 40, 20, 50}},
        // A loop closed through chained inputs: 3's output joins 1's input,
        // which a cable joins to 2's input, so 3 feeds 1 and 2; 1 and 2 feed
        // 3; 4 feeds 1 from outside and goes first. Every order of the loop
        // has two late pairs, so the fewest keeps its order too.
        TLoopCase{"ChainedInputs",
                  {1, 2, 3, 4},
                  {"3 0 1 1 0 0", "1 0 0 2 0 0", "1 0 1 3 0 0", "2 0 1 3 1 0", "4 0 1 1 1 0"},
                  {{1, 2, 3}},
                  {3, 2},
                  {2, 3, 4, 1},
                  {2, 3, 4, 1}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(Move, ShiftsTheModulesInBetween)
{
    struct TCase {
        int32_t From, To;
        std::vector<int32_t> Indices; // after the move, in dump order (was 10 20 30 40 50)
    };
    for (const TCase& C : {TCase{20, 40, {10, 40, 20, 30, 50}}, TCase{50, 10, {20, 30, 40, 50, 10}},
                           TCase{30, 30, {10, 20, 30, 40, 50}}}) {
        TPatchDef Patch;
        Load(Patch, PatchText({10, 20, 30, 40, 50}, {"20 0 1 30 0 0"}));
        ApplyMove(Patch, AreaPoly, C.From, C.To);
        EXPECT_EQ(PolyIndices(Patch), C.Indices) << C.From << " -> " << C.To;
        // The cable still joins the same two modules.
        const TCableDef& Cable = Patch.CableDumps[AreaPoly].Cables().Items(0);
        EXPECT_EQ(std::pair(Cable.Module1, Cable.Module2), std::pair(C.Indices[1], C.Indices[2]));
    }
}

TEST(Refusals, UnknownOrSharedIndicesChangeNothing)
{
    TPatchDef Patch;
    Load(Patch, PatchText({1, 2, 2, 3}, {"3 0 1 1 0 0"}));
    const std::string Before = SavedText(Patch);
    const auto Message = [&](auto Action) {
        try {
            Action();
        } catch (const ERenumberError& E) {
            return std::string(E.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(Message([&] { ApplyOrder(Patch, AreaPoly); }),
              "Module index 2 is used by two modules of the poly area; order and move need every index once");
    EXPECT_EQ(Message([&] { ApplyMove(Patch, AreaPoly, 1, 3); }),
              "Module index 2 is used by two modules of the poly area; order and move need every index once");
    EXPECT_EQ(Message([&] { ApplyMove(Patch, AreaPoly, 7, 1); }), "The poly area has no module with index 7");
    EXPECT_EQ(Message([&] { ApplyMove(Patch, AreaCommon, 1, 5); }), "The common area has no module with index 5");
    EXPECT_EQ(SavedText(Patch), Before);
    EXPECT_EQ(LateConnections(Patch, AreaPoly), (TFeeds{{3, 1}})); // listing late pairs still works
}

namespace {

// The rules read plainly, for small areas: nets by repeated merging, feeds
// from nets, groups by mutual reachability, then the lowest free group first.
struct TBruteForce {
    std::vector<int32_t> Modules; // ascending
    std::set<std::pair<int32_t, int32_t>> Feeds;
    std::map<std::pair<int32_t, int32_t>, bool> Reaches;

    TBruteForce(std::vector<int32_t> Indices, const TCableDump& Cables) : Modules(std::move(Indices))
    {
        std::sort(Modules.begin(), Modules.end());
        using TEnd = std::tuple<int32_t, int32_t, int>;
        std::vector<std::set<TEnd>> Nets;
        for (const TCableDef& C : Cables.Cables()) {
            std::set<TEnd> Net = {{C.Module1, C.Connector1, C.ConnectorKind1}, {C.Module2, C.Connector2, C.ConnectorKind2}};
            for (auto It = Nets.begin(); It != Nets.end();) {
                bool Shared = std::any_of(It->begin(), It->end(), [&](const TEnd& E) { return Net.count(E) > 0; });
                if (Shared) {
                    Net.insert(It->begin(), It->end());
                    It = Nets.erase(It);
                } else {
                    ++It;
                }
            }
            Nets.push_back(Net);
        }
        const auto Exists = [&](int32_t M) { return std::binary_search(Modules.begin(), Modules.end(), M); };
        for (const auto& Net : Nets)
            for (const auto& [A, Ca, Ka] : Net)
                for (const auto& [B, Cb, Kb] : Net)
                    if (Ka == 1 && Kb == 0 && A != B && Exists(A) && Exists(B))
                        Feeds.insert({A, B});
        for (int32_t A : Modules)
            for (int32_t B : Modules)
                Reaches[{A, B}] = A == B || Feeds.count({A, B}) > 0;
        for (int32_t K : Modules)
            for (int32_t A : Modules)
                for (int32_t B : Modules)
                    if (Reaches[{A, K}] && Reaches[{K, B}])
                        Reaches[{A, B}] = true;
    }

    bool SameGroup(int32_t A, int32_t B) { return Reaches[{A, B}] && Reaches[{B, A}]; }

    // The module indices in their new processing order.
    std::vector<int32_t> Order()
    {
        std::vector<int32_t> Result, Left = Modules;
        while (!Left.empty()) {
            for (int32_t Candidate : Left) { // ascending: the lowest free group wins
                const bool Free = std::none_of(Left.begin(), Left.end(), [&](int32_t Other) {
                    return !SameGroup(Other, Candidate) && Reaches[{Other, Candidate}];
                });
                if (!Free)
                    continue;
                for (int32_t M : Left)
                    if (SameGroup(M, Candidate))
                        Result.push_back(M);
                std::erase_if(Left, [&](int32_t M) { return SameGroup(M, Candidate); });
                break;
            }
        }
        return Result;
    }
};

std::string RandomPatch(std::mt19937& Random)
{
    std::vector<int> Indices;
    for (int I = 1 + static_cast<int>(Random() % 3); Indices.size() < 2 + Random() % 10; I += 1 + static_cast<int>(Random() % 3))
        Indices.push_back(I);
    std::shuffle(Indices.begin(), Indices.end(), Random);
    std::vector<std::string> Cables;
    const auto Pick = [&] { return std::to_string(Random() % 5 ? Indices[Random() % Indices.size()] : 40); };
    // Connector numbers as real patches have them, or now and then far
    // apart and below 0, where connectors are told apart another way.
    const bool Spread = Random() % 4 == 0;
    const auto Connector = [&] {
        const int Small = static_cast<int>(Random() % 3);
        return std::to_string(Spread ? std::array{-7, 1, 2000000}[static_cast<size_t>(Small)] : Small);
    };
    for (unsigned C = Random() % 14; C > 0; --C)
        Cables.push_back(Pick() + " " + Connector() + " " + std::to_string(Random() % 2) + " " + Pick() + " " +
                         Connector() + " " + std::to_string(Random() % 2));
    std::vector<std::string> Extra = {"[ParameterDump]", "1"};
    for (int I : Indices)
        Extra.push_back(std::to_string(I) + " 3 1 " + std::to_string(I));
    Extra.insert(Extra.end(), {"[NameDump]", "1"});
    for (int I : Indices)
        Extra.push_back(std::to_string(I) + " N" + std::to_string(I));
    Extra.push_back("[KnobMapDump]");
    for (int I : Indices)
        Extra.push_back("1 " + std::to_string(I) + " 0 " + std::to_string(I % 100));
    return PatchText(Indices, Cables, Extra);
}

} // namespace

// ChangedBy answers for every section: it holds exactly when renumbering
// changes the saved text, for swaps, permutations and maps of unused indices,
// in both areas.
TEST(Renumber, ChangedByHoldsExactlyWhenTheSaveChanges)
{
    std::mt19937 Random(11);
    // Each section refers to indices of its own choice, so that one section
    // alone may hold the only reference to an index.
    const auto Scattered = [&Random] {
        const auto Index = [&Random] { return std::to_string(Random() % 12); };
        std::string T = "Version=s\r\n0\r\n";
        for (const char* Area : {"1", "0"}) {
            for (const char* Section : {"ModuleDump", "ParameterDump", "CustomDump", "NameDump"})
                if (Random() % 2)
                    T += std::string("[") + Section + "]\r\n" + Area + "\r\n" + Index() + " 1 1 1\r\n";
            if (Random() % 2)
                T += std::string("[CableDump]\r\n") + Area + "\r\n0 " + Index() + " 0 1 " + Index() + " 0 0\r\n";
        }
        for (const char* Section : {"KnobMapDump", "ControlMapDump"})
            if (Random() % 2)
                T += std::string("[") + Section + "]\r\n" + std::to_string(Random() % 3) + " " + Index() + " 0 1\r\n";
        if (Random() % 2)
            T += "[MorphMapDump]\r\n1 2 3 4\r\n" + std::to_string(Random() % 3) + " " + Index() + " 0 1 5\r\n";
        return T;
    };
    const std::string Full = ReadText(std::string(PERMUTO_TEST_DATA) + "/full.pch");
    for (int Round = 0; Round < 600; ++Round) {
        TPatchDef Patch;
        Load(Patch, Round % 5 == 0 ? Full : Round % 5 == 1 ? RandomPatch(Random) : Scattered());
        const std::string Before = SavedText(Patch);
        std::vector<TRenumbering::TPair> Pairs;
        for (unsigned N = 1 + Random() % 4; N > 0; --N)
            Pairs.emplace_back(static_cast<int32_t>(Random() % 12), static_cast<int32_t>(Random() % 12));
        const TRenumbering Map = Random() % 2 ? TRenumbering(Pairs) : TRenumbering::Swap(Pairs[0].first, Pairs[0].second);
        const TArea Area = Random() % 2 ? AreaPoly : AreaCommon;
        const bool Changed = Patch.ChangedBy(Area, Map);
        Patch.Renumber(Area, Map);
        EXPECT_EQ(Changed, SavedText(Patch) != Before) << "round " << Round;
    }
}

TEST(SignalFlowProperties, GeneratedPatchesFollowTheRules)
{
    std::mt19937 Random(7);
    for (int Round = 0; Round < 300; ++Round) {
        const std::string Text = RandomPatch(Random);
        TPatchDef Patch;
        Load(Patch, Text);
        const std::string Before = SavedText(Patch);
        TBruteForce Plain(PolyIndices(Patch), Patch.CableDumps[AreaPoly]);

        TFeeds Late;
        TLateCount Count;
        std::map<int32_t, uint32_t> LateInputs;
        for (const auto& [A, B] : Plain.Feeds)
            if (A > B) {
                Late.push_back({A, B});
                ++LateInputs[B];
                Count.InsideLoops += Plain.SameGroup(A, B);
            }
        Count.Late = Late.size();
        ASSERT_EQ(LateConnections(Patch, AreaPoly), Late) << Text;
        // Counted without listing, per module, and the groups themselves.
        const TSignalFlow Flow = SignalFlowOf(Patch, AreaPoly);
        EXPECT_EQ(Flow.CountLate().Late, Count.Late) << Text;
        EXPECT_EQ(Flow.CountLate().InsideLoops, Count.InsideLoops) << Text;
        std::vector<uint32_t> Inputs;
        ASSERT_TRUE(Flow.LateInputCounts(Inputs));
        for (size_t Rank = 0; Rank < Flow.Indices().size(); ++Rank) {
            const int32_t Index = Flow.Indices()[Rank];
            EXPECT_EQ(Inputs[Rank], LateInputs[Index]) << Text;
            std::vector<int32_t> Sources;
            for (const TFeed& F : Late)
                if (F.Destination == Index)
                    Sources.push_back(F.Source);
            EXPECT_EQ(Flow.LateSources(Index), Sources) << Text;
        }
        std::vector<std::vector<int32_t>> Groups;
        for (int32_t M : Plain.Modules)
            if (std::none_of(Groups.begin(), Groups.end(), [&](const auto& G) { return Plain.SameGroup(G[0], M); })) {
                std::vector<int32_t> Group;
                for (int32_t Other : Plain.Modules)
                    if (Plain.SameGroup(M, Other))
                        Group.push_back(Other);
                if (Group.size() >= 2)
                    Groups.push_back(Group);
            }
        EXPECT_EQ(Flow.FeedbackGroups(), Groups) << Text;

        // Where each module goes: the brute force's order takes the indices ascending.
        const std::vector<int32_t> NewOrder = Plain.Order();
        std::map<int32_t, int32_t> Expected;
        for (size_t I = 0; I < NewOrder.size(); ++I)
            Expected[NewOrder[I]] = Plain.Modules[I];
        const TRenumbering Map = ApplyOrder(Patch, AreaPoly);
        for (const auto& [From, To] : Expected)
            ASSERT_EQ(Map(From), To) << Text;

        for (const TFeed& F : LateConnections(Patch, AreaPoly)) // only inside feedback groups
            EXPECT_TRUE(Plain.SameGroup(Map.Inverse()(F.Source), Map.Inverse()(F.Destination))) << Text;
        const std::string Once = SavedText(Patch);
        EXPECT_TRUE(ApplyOrder(Patch, AreaPoly).IsIdentity()) << Text;
        EXPECT_EQ(SavedText(Patch), Once);
        const uint64_t KeptLate = SignalFlowOf(Patch, AreaPoly).CountLate().Late;
        Patch.Renumber(AreaPoly, Map.Inverse());
        EXPECT_EQ(SavedText(Patch), Before) << Text;

        // The fewest late pairs: each group in the best of all its orders
        // (for groups small enough to try every order).
        uint64_t Fewest = 0;
        const auto Loops = Flow.FeedbackGroups();
        if (std::any_of(Loops.begin(), Loops.end(), [](const auto& G) { return G.size() > 8; }))
            continue;
        for (const std::vector<int32_t>& Group : Loops) {
            std::vector<int32_t> Order = Group;
            uint64_t Best = UINT64_MAX;
            do {
                uint64_t Late = 0;
                for (size_t I = 0; I < Order.size(); ++I)
                    for (size_t J = 0; J < I; ++J)
                        Late += Plain.Feeds.count({Order[I], Order[J]});
                Best = std::min(Best, Late);
            } while (std::next_permutation(Order.begin(), Order.end()));
            Fewest += Best;
        }
        ApplyOrder(Patch, AreaPoly, true);
        EXPECT_EQ(SignalFlowOf(Patch, AreaPoly).CountLate().Late, Fewest) << Text;
        EXPECT_LE(Fewest, KeptLate) << Text;
        const std::string Arranged = SavedText(Patch);
        EXPECT_TRUE(ApplyOrder(Patch, AreaPoly, true).IsIdentity()) << Text;
        EXPECT_EQ(SavedText(Patch), Arranged);
    }
}

namespace {

// The late feeds of an order, counted here from scratch.
uint64_t LateIn(const std::vector<uint32_t>& Order, const TFeedPairs& Feeds)
{
    std::vector<size_t> Place(Order.size());
    for (size_t P = 0; P < Order.size(); ++P)
        Place.at(Order[P]) = P;
    uint64_t Late = 0;
    for (const auto& [From, To] : Feeds)
        Late += Place.at(To) < Place.at(From);
    return Late;
}

// Whether moving one member elsewhere would make fewer feeds late.
bool OneMoveHelps(const std::vector<uint32_t>& Order, const TFeedPairs& Feeds)
{
    const uint64_t Now = LateIn(Order, Feeds);
    for (size_t From = 0; From < Order.size(); ++From)
        for (size_t To = 0; To < Order.size(); ++To) {
            std::vector<uint32_t> Moved = Order;
            const uint32_t V = Moved[From];
            Moved.erase(Moved.begin() + static_cast<std::ptrdiff_t>(From));
            Moved.insert(Moved.begin() + static_cast<std::ptrdiff_t>(To), V);
            if (LateIn(Moved, Feeds) < Now)
                return true;
        }
    return false;
}

} // namespace

// Loops above the exact limit: never more late feeds than the order they
// came in, no single move left that would help, and a loop that is a chain
// with one feed back ends with that one feed late.
TEST(FewestLate, BigLoopsAreNeverWorseAndNoMoveIsLeftThatHelps)
{
    std::mt19937 Random(11);
    for (int Round = 0; Round < 60; ++Round) {
        const uint32_t N = Round < 40 ? 21 + Random() % 40 : 100 + Random() % 101;
        // The loop's members as the patch numbers them: near its own order
        // for a chain (a few members out of place), shuffled otherwise.
        std::vector<uint32_t> Label(N);
        std::iota(Label.begin(), Label.end(), 0u);
        const bool Chain = Round % 2 == 0;
        if (Chain)
            for (int Swap = 0; Swap < 4; ++Swap)
                std::swap(Label[Random() % N], Label[Random() % N]);
        else
            std::shuffle(Label.begin(), Label.end(), Random);
        std::set<std::pair<uint32_t, uint32_t>> Unique;
        for (uint32_t I = 0; I < N; ++I) {
            Unique.insert({Label[I], Label[(I + 1) % N]}); // a loop through all
            const uint32_t J = Random() % N, K = Random() % N;
            if (J != K && (!Chain || J < K)) // a chain: feeds only forward along it
                Unique.insert({Label[std::min(J, K)], Label[std::max(J, K)]});
            if (!Chain && J != K)
                Unique.insert({Label[K], Label[J]});
        }
        const TFeedPairs Feeds(Unique.begin(), Unique.end());
        std::vector<uint32_t> Kept(N);
        std::iota(Kept.begin(), Kept.end(), 0u);
        const TArrangement Result = FewestLateOrder(N, Feeds);
        SCOPED_TRACE(std::to_string(N) + (Chain ? " chain" : " random"));
        EXPECT_FALSE(Result.Exact);
        std::vector<uint32_t> Sorted = Result.Order;
        std::sort(Sorted.begin(), Sorted.end());
        ASSERT_EQ(Sorted, Kept); // every member once
        EXPECT_LE(LateIn(Result.Order, Feeds), LateIn(Kept, Feeds));
        if (Chain) {
            EXPECT_EQ(LateIn(Result.Order, Feeds), 1u);
        }
        if (N <= 40) {
            EXPECT_FALSE(OneMoveHelps(Result.Order, Feeds));
        }
    }
    // Up to the limit the order is exact, beyond it not.
    TFeedPairs Ring;
    for (uint32_t I = 0; I < ExactLimit; ++I)
        Ring.emplace_back(I, (I + 1) % ExactLimit);
    EXPECT_TRUE(FewestLateOrder(ExactLimit, Ring).Exact);
    Ring.back().second = ExactLimit;
    Ring.emplace_back(ExactLimit, 0);
    EXPECT_FALSE(FewestLateOrder(ExactLimit + 1, Ring).Exact);
}
