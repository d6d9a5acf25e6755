#pragma once
// The x86 vector intrinsics for hand-written kernels, included quietly, and
// VELLUMO_X86_INTRINSICS set where they are available (each kernel still checks the
// processor at run time).

#if defined(__x86_64__) && defined(__GNUC__)
// GCC 12 takes the deliberately undefined vectors inside the intrinsics for uninitialised.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#ifndef __clang__
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#pragma GCC diagnostic pop
#define VELLUMO_X86_INTRINSICS 1
#endif
