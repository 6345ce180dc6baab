#pragma once
// Splits a piece of work between the calling thread and one helper thread, when the
// machine has a second core. The work itself decides what each part does; the split
// returns only when both parts are done, so callers stay sequential around it.

#include <cstddef>
#include <functional>

namespace torvane {

// Runs part(0) on the calling thread and part(1) on the helper, then waits for both.
// Without a second core, or when no thread can be started, runs both parts here, one
// after the other. An exception from part(0) is passed on once part(1) has finished;
// part(1) must not throw.
void run_in_two_parts(const std::function<void(int part)>& part);

// Runs item(i) for every i below `count`, once each, in no set order: the calling thread
// and the helper each take the next item until none is left. A helper that gets no core
// meanwhile (other threads keep both busy) is not waited for: the caller does every item.
// An exception from an item run here is passed on once the helper has stopped; items
// run on the helper must not throw.
void share_work(std::size_t count, const std::function<void(std::size_t item)>& item);

} // namespace torvane
