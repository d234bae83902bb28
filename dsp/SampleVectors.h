#pragma once

// Four floats or two doubles as the lanes of one vector register. Every lane runs the same
// IEEE operation the scalar code runs, so vector and scalar loops give identical samples.
typedef float Float4 __attribute__((vector_size(16)));
typedef int Int4 __attribute__((vector_size(16)));
typedef double Double2 __attribute__((vector_size(16)));
typedef float Float2 __attribute__((vector_size(8)));

inline Float4 loadFloat4(const float* p) {
    Float4 v;
    __builtin_memcpy(&v, p, sizeof(v));
    return v;
}

inline void storeFloat4(float* p, Float4 v) { __builtin_memcpy(p, &v, sizeof(v)); }

inline Double2 loadWidened2(const float* p) {
    Float2 v;
    __builtin_memcpy(&v, p, sizeof(v));
    return __builtin_convertvector(v, Double2);
}

inline void storeNarrowed2(float* p, Double2 v) {
    const Float2 f = __builtin_convertvector(v, Float2);
    __builtin_memcpy(p, &f, sizeof(f));
}
