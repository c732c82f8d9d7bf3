#pragma once
// Lists of items by row, in compressed form: the items of row R are
// Items[First[R] .. First[R + 1]). Cables by net, feeds by module, members
// by feedback group and connectors by box are all kept so.
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <vector>

namespace permuto {

template <class TItem>
struct TRows {
    std::vector<uint32_t> First{0};
    std::vector<TItem> Items;

    size_t Count() const { return First.size() - 1; }
    const TItem* Begin(size_t Row) const { return Items.data() + First[Row]; }
    const TItem* End(size_t Row) const { return Items.data() + First[Row + 1]; }
    size_t Size(size_t Row) const { return First[Row + 1] - First[Row]; }

    // Rows 0 .. Rows-1 from entries: ForEach(Visit) calls Visit(Row, Item)
    // for every entry, the same entries in the same order each time it is
    // called (twice). Each row keeps its items in the order met (a counting
    // sort).
    template <class TForEach>
    static TRows Sorted(size_t Rows, const TForEach& ForEach)
    {
        TRows Result;
        Result.First.assign(Rows + 1, 0);
        ForEach([&Result](size_t Row, const TItem&) { ++Result.First[Row + 1]; });
        std::partial_sum(Result.First.begin(), Result.First.end(), Result.First.begin());
        Result.Items.resize(Result.First.back());
        std::vector<uint32_t> Fill(Result.First.begin(), Result.First.end() - 1);
        ForEach([&Result, &Fill](size_t Row, const TItem& Item) { Result.Items[Fill[Row]++] = Item; });
        return Result;
    }
};

} // namespace permuto
