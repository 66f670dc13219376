// SPDX-License-Identifier: Apache-2.0
// Cost of the locked list's operations at the sizes that matter: a handful of
// local addresses, a reply queue of a thousand records, and one of a hundred
// thousand. Every figure is the time of one operation (total / n). Filling is
// compared with std::unordered_set on the same values, which is what the
// list's index costs at the least.
#include "locked_list.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <random>
#include <unordered_set>
#include <vector>

namespace {

using ql5::LockedList;
using Clock = std::chrono::steady_clock;

// Values shaped like the pointers a reply queue holds: heap addresses one
// record apart.
std::vector<LockedList::Value> RecordLikeValues(std::size_t count)
{
    std::vector<LockedList::Value> values(count);
    for (std::size_t i = 0; i < count; ++i)
        values[i] = 0x7f3a00000000u + 16 + i * 1168;
    return values;
}

std::vector<LockedList::Value> Shuffled(std::vector<LockedList::Value> values)
{
    std::mt19937_64 random(20240611);
    std::shuffle(values.begin(), values.end(), random);
    return values;
}

double Seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

void Fill(LockedList& list, const std::vector<LockedList::Value>& values)
{
    for (const auto value : values)
        list.Add(value);
}

// Add: filling an empty list with n values.
void BM_LockedListAdd(benchmark::State& state)
{
    const auto values = RecordLikeValues(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto list = std::make_unique<LockedList>();
        const auto start = Clock::now();
        for (const auto value : values)
            benchmark::DoNotOptimize(list->Add(value));
        state.SetIterationTime(Seconds(Clock::now() - start));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LockedListAdd)->Arg(10)->Arg(1000)->Arg(100000)->UseManualTime();

// The same values into the standard hash set, the yardstick for the fill.
void BM_UnorderedSetInsert(benchmark::State& state)
{
    const auto values = RecordLikeValues(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto set = std::make_unique<std::unordered_set<LockedList::Value>>();
        const auto start = Clock::now();
        for (const auto value : values)
            benchmark::DoNotOptimize(set->insert(value));
        state.SetIterationTime(Seconds(Clock::now() - start));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UnorderedSetInsert)->Arg(10)->Arg(1000)->Arg(100000)->UseManualTime();

// Contains: every value of a list of n, asked in shuffled order, then as many
// values that are absent.
void BM_LockedListContains(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    const auto values = RecordLikeValues(count);
    const auto probes = Shuffled(values);
    LockedList list;
    Fill(list, values);
    for (auto _ : state) {
        for (const auto value : probes) {
            benchmark::DoNotOptimize(list.Contains(value));
            benchmark::DoNotOptimize(list.Contains(value + 8));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(BM_LockedListContains)->Arg(10)->Arg(1000)->Arg(100000)->UseRealTime();

// PopHead: emptying a list of n values from the front, as ReadDevices does.
void BM_LockedListPopHead(benchmark::State& state)
{
    const auto values = RecordLikeValues(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        LockedList list;
        Fill(list, values);
        const auto start = Clock::now();
        for (std::size_t i = 0; i < values.size(); ++i)
            benchmark::DoNotOptimize(list.PopHead());
        state.SetIterationTime(Seconds(Clock::now() - start));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LockedListPopHead)->Arg(10)->Arg(1000)->Arg(100000)->UseManualTime();

// Remove: emptying a list of n values in shuffled order, so that most removals
// take a value from the middle of the chain.
void BM_LockedListRemove(benchmark::State& state)
{
    const auto values = RecordLikeValues(static_cast<std::size_t>(state.range(0)));
    const auto order = Shuffled(values);
    for (auto _ : state) {
        LockedList list;
        Fill(list, values);
        const auto start = Clock::now();
        for (const auto value : order)
            list.Remove(value);
        state.SetIterationTime(Seconds(Clock::now() - start));
        if (list.Count() != 0) {
            state.SkipWithError("values were left behind");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LockedListRemove)->Arg(10)->Arg(1000)->Arg(100000)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
