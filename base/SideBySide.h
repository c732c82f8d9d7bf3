#pragma once
// Independent jobs run side by side: every job after the first on a thread
// of its own where one can be had (in its turn otherwise), the first on the
// calling thread. The results come back in the jobs' order; an error a job
// raises passes on once all have ended. A build for a place without threads
// (PERMUTO_ONE_THREAD: a browser page) runs every job in its turn.
#include <functional>
#include <future>
#include <system_error>
#include <vector>

namespace permuto {

// Whether a job may get a thread of its own.
#ifdef PERMUTO_ONE_THREAD
inline constexpr bool ThreadsAtHand = false;
#else
inline constexpr bool ThreadsAtHand = true;
#endif

template <class TResult>
std::vector<TResult> SideBySide(const std::vector<std::function<TResult()>>& Jobs)
{
    std::vector<std::future<TResult>> Others;
    for (size_t I = 1; I < Jobs.size(); ++I) {
        if (!ThreadsAtHand) {
            Others.push_back(std::async(std::launch::deferred, Jobs[I]));
            continue;
        }
        try {
            Others.push_back(std::async(std::launch::async, Jobs[I]));
        } catch (const std::system_error&) {
            Others.push_back(std::async(std::launch::deferred, Jobs[I]));
        }
    }
    std::vector<TResult> Results;
    Results.reserve(Jobs.size());
    if (!Jobs.empty())
        Results.push_back(Jobs.front()());
    for (std::future<TResult>& Other : Others)
        Results.push_back(Other.get());
    return Results;
}

} // namespace permuto
