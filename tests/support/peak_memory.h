#pragma once
// The most this process has held in memory so far, for tests that bound what
// a loader may take.
#include <sys/resource.h>

namespace testsupport {

inline long long PeakMemory()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<long long>(u.ru_maxrss) * 1024;
}

// Under AddressSanitizer the peak also counts freed blocks held in its
// quarantine, the padding around every block and the shadow bytes written for
// every allocation (an eighth of its size, even when the block itself is never
// touched). Bounds that a loader legitimately comes near are checked in the
// plain build only.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPeakMemoryIsExact = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPeakMemoryIsExact = false;
#else
constexpr bool kPeakMemoryIsExact = true;
#endif
#else
constexpr bool kPeakMemoryIsExact = true;
#endif

} // namespace testsupport
