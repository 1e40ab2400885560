#pragma once
// What clang's thread-safety analysis (-Wthread-safety) checks: which mutex (or other
// capability, such as the turn of a job's parts) guards a member, which a function needs held,
// takes or lets go of. A member read or written without its guard, or a function called without
// what it needs, is then a compile-time error in the clang build of CI (SORVEK_THREAD_SAFETY).
// Other compilers see nothing of them.
//
//   CAPABILITY(name)         a type whose objects are held and let go of (a mutex, a turn)
//   SCOPED_CAPABILITY        an object that holds a capability from its making to its end
//   GUARDED_BY(c)            a member read or written only while `c` is held
//   PT_GUARDED_BY(c)         what a pointer member points to, read or written only so
//   REQUIRES(c...)           a function called only while `c` is held
//   EXCLUDES(c...)           a function called only while `c` is not held (it takes it)
//   ACQUIRE(c...)            a function that takes `c` (no argument: the object itself)
//   RELEASE(c...)            a function that lets go of `c`
//   RETURN_CAPABILITY(c)     a function that returns a reference to `c`
//   NO_THREAD_SAFETY_ANALYSIS  a function the analysis does not look into (say why)

#if defined(__clang__)
#define SORVEK_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define SORVEK_THREAD_ANNOTATION(x)
#endif

#define CAPABILITY(x) SORVEK_THREAD_ANNOTATION(capability(x))
#define SCOPED_CAPABILITY SORVEK_THREAD_ANNOTATION(scoped_lockable)
#define GUARDED_BY(x) SORVEK_THREAD_ANNOTATION(guarded_by(x))
#define PT_GUARDED_BY(x) SORVEK_THREAD_ANNOTATION(pt_guarded_by(x))
#define REQUIRES(...) SORVEK_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) SORVEK_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) SORVEK_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) SORVEK_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define RETURN_CAPABILITY(x) SORVEK_THREAD_ANNOTATION(lock_returned(x))
#define NO_THREAD_SAFETY_ANALYSIS SORVEK_THREAD_ANNOTATION(no_thread_safety_analysis)
