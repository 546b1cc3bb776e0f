// A test stand-in for the global allocator: it can make one chosen allocation fail, and it can look at
// every block when it is freed for a secret that should have been wiped first.
#pragma once
#include <cstddef>
#include <string>

namespace test_allocator {
// Allocations counted since the last Reset.
size_t Count();
// The n-th allocation from now (1 = the next one) throws std::bad_alloc; 0 fails none. One-shot.
void FailAllocation(size_t n);
bool FailureHappened();
// Every block freed from now on is searched for secret (empty: none); Leaks says how many held it.
void WatchForSecret(const std::string& secret);
size_t FreedBlocksHoldingSecret();
void Reset();
} // namespace test_allocator
