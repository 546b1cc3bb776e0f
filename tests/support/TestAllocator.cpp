// The replaceable global operators new and delete, over malloc, with a size header so that a freed block
// can be searched.
#include "TestAllocator.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
std::atomic<size_t> g_count{0};
std::atomic<size_t> g_failAt{0};
std::atomic<bool> g_failed{false};
std::atomic<size_t> g_holdingSecret{0};
char g_secret[256];
std::atomic<size_t> g_secretLength{0};
constexpr size_t kHeader = 2 * sizeof(std::max_align_t) > 16 ? 2 * sizeof(std::max_align_t) : 16;

void* Allocate(size_t size) {
    size_t n = ++g_count;
    size_t failAt = g_failAt.load();
    if (failAt && n >= failAt && g_failAt.compare_exchange_strong(failAt, 0)) {
        g_failed = true;
        throw std::bad_alloc();
    }
    char* block = static_cast<char*>(std::malloc(size + kHeader));
    if (!block)
        throw std::bad_alloc();
    std::memcpy(block, &size, sizeof size);
    return block + kHeader;
}

void Release(void* p) noexcept {
    if (!p)
        return;
    char* block = static_cast<char*>(p) - kHeader;
    size_t size;
    std::memcpy(&size, block, sizeof size);
    size_t length = g_secretLength.load();
    if (length && size >= length) {
        const char* data = static_cast<const char*>(p);
        for (size_t i = 0; i + length <= size; ++i)
            if (std::memcmp(data + i, g_secret, length) == 0) {
                ++g_holdingSecret;
                break;
            }
    }
    std::free(block);
}
} // namespace

namespace test_allocator {
size_t Count() { return g_count; }
void FailAllocation(size_t n) {
    g_failed = false;
    g_failAt = n ? g_count + n : 0;
}
bool FailureHappened() { return g_failed; }
void WatchForSecret(const std::string& secret) {
    g_secretLength = 0;
    size_t n = secret.size() < sizeof g_secret ? secret.size() : 0;
    std::memcpy(g_secret, secret.data(), n);
    g_holdingSecret = 0;
    g_secretLength = n;
}
size_t FreedBlocksHoldingSecret() { return g_holdingSecret; }
void Reset() {
    g_failAt = 0;
    g_failed = false;
    g_secretLength = 0;
    g_holdingSecret = 0;
    g_count = 0;
}
} // namespace test_allocator

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
