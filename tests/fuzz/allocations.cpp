// SPDX-License-Identifier: LicenseRef-Tankedosan
// Ends the run at any one allocation past fuzz::allocationBound: a sanitizer's allocator reports each one to a
// hook, glibc's is reached through malloc itself. It must say so without allocating.
#include "fuzz.h"

#include <unistd.h>

namespace {
void check(size_t size)
{
    if (size <= fuzz::allocationBound)
        return;
    static const char message[] = "allocation past the bound of the input\n";
    (void)!write(2, message, sizeof message - 1);
    std::abort();
}
} // namespace

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FUZZ_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(FUZZ_ASAN)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void *, size_t),
                                                         void (*)(const volatile void *));
static const int hooked = __sanitizer_install_malloc_and_free_hooks(
    [](const volatile void *, size_t size) { check(size); }, [](const volatile void *) {});
#else
extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);

void *malloc(size_t size)
{
    check(size);
    return __libc_malloc(size);
}
void *calloc(size_t count, size_t size)
{
    check(count > SIZE_MAX / (size ? size : 1) ? SIZE_MAX : count * size);
    return __libc_calloc(count, size);
}
void *realloc(void *p, size_t size)
{
    check(size);
    return __libc_realloc(p, size);
}
}
#endif
