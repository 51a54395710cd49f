#pragma once

// Qt's QThread::wait() waits on futexes that ThreadSanitizer cannot see, so it takes whatever a
// finished QThread wrote last as racing with the code that runs after the join. The thread marks
// its end, the joiner marks the join, and the sanitizer learns the order. Nothing without it.

#if defined(__SANITIZE_THREAD__)
#define OSTRIVANE_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define OSTRIVANE_TSAN 1
#endif
#endif

#ifdef OSTRIVANE_TSAN
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace ostrivane {

// Last thing the QThread does.
inline void MarkThreadEnd([[maybe_unused]] void* tag) {
#ifdef OSTRIVANE_TSAN
  __tsan_release(tag);
#endif
}

// Right after QThread::wait() returned.
inline void MarkThreadJoined([[maybe_unused]] void* tag) {
#ifdef OSTRIVANE_TSAN
  __tsan_acquire(tag);
#endif
}

}  // namespace ostrivane
