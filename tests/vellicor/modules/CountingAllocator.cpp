#include "tests/vellicor/modules/CountingAllocator.h"

#include <atomic>
#include <cerrno>
#include <cstddef>

namespace
{
thread_local bool active = false; // initial-exec TLS of the executable: reading it never allocates
std::atomic<int64_t> allocations{0};

inline void Note()
{
    if (active) allocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

namespace counting
{
Scope::Scope()
{
    active = true;
}
Scope::~Scope()
{
    active = false;
}
Pause::Pause() : was(active)
{
    active = false;
}
Pause::~Pause()
{
    active = was;
}
int64_t Allocations()
{
    return allocations.load();
}
} // namespace counting

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, size_t),
                                                         void (*onFree)(const volatile void*));
namespace
{
void OnMalloc(const volatile void*, size_t)
{
    Note();
}
void OnFree(const volatile void*) {} // the sanitizer installs neither hook without both
[[maybe_unused]] const int installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
} // namespace
#else
// The C library's own entry points, under the names it exports for allocators like this one.
extern "C"
{
    void* __libc_malloc(size_t size);
    void* __libc_calloc(size_t count, size_t size);
    void* __libc_realloc(void* p, size_t size);
    void* __libc_memalign(size_t alignment, size_t size);
    void __libc_free(void* p);

    void* malloc(size_t size)
    {
        Note();
        return __libc_malloc(size);
    }

    void* calloc(size_t count, size_t size)
    {
        Note();
        return __libc_calloc(count, size);
    }

    void* realloc(void* p, size_t size)
    {
        Note();
        return __libc_realloc(p, size);
    }

    void* memalign(size_t alignment, size_t size)
    {
        Note();
        return __libc_memalign(alignment, size);
    }

    void* aligned_alloc(size_t alignment, size_t size)
    {
        Note();
        return __libc_memalign(alignment, size);
    }

    int posix_memalign(void** out, size_t alignment, size_t size)
    {
        Note();
        if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
        void* p = __libc_memalign(alignment, size);
        if (!p) return ENOMEM;
        *out = p;
        return 0;
    }

    void free(void* p)
    {
        __libc_free(p);
    }
}
#endif
