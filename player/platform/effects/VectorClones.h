#pragma once
// EFFECTS_VECTOR_LOOP marks a function whose loops are built twice, for AVX2 and for the
// baseline (SSE2), with the better build picked when the program starts.
//
// Besides the wider vectors, the AVX2 build matters because of its instruction encoding:
// plain SSE instructions stall on some processors while other code (the C library, Qt's own
// drawing) has left the upper halves of the vector registers in use, and nothing here can
// tell when that happens. Measured on this project's machines: a 1024 x 768 cross-fade step
// took 1.6 ms instead of 0.34 ms in such a process.
#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones)
#define EFFECTS_VECTOR_LOOP __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef EFFECTS_VECTOR_LOOP
#define EFFECTS_VECTOR_LOOP
#endif
