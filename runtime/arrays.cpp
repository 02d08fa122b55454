#include "runtime/arrays.h"

#include <cstdint>
#include <unistd.h>

#include "runtime/core.h"

namespace __VELTRIC__ {
namespace arrays_detail {

namespace {

constexpr std::int64_t kSaturated = INT64_MAX;

std::int64_t MulSat(std::int64_t a, std::int64_t b)
{
    std::int64_t r;
    if (__builtin_mul_overflow(a, b, &r))
        return ((a < 0) != (b < 0)) ? -kSaturated : kSaturated;
    return r;
}

// Bytes of memory the machine has; an array larger than that can never be held.
std::int64_t MachineBytes()
{
    static const std::int64_t bytes = [] {
        long pages = sysconf(_SC_PHYS_PAGES);
        long size = sysconf(_SC_PAGESIZE);
        if (pages <= 0 || size <= 0)
            return std::int64_t(1) << 40;
        return MulSat(pages, size);
    }();
    return bytes;
}

} // namespace

void IndexError()
{
    __Error(9);
    __EndProgram();
}

void StorageError()
{
    __Error(7);
    __EndProgram();
}

void PushError()
{
    __Error(8);
    __EndProgram();
}

std::int64_t ElementCount(int s1, int s2, int s3, int s4)
{
    std::int64_t n = s1 > 0 ? s1 : 0;
    n = MulSat(n, Span(s2));
    n = MulSat(n, Span(s3));
    return MulSat(n, Span(s4));
}

std::int64_t CapacityFor(std::int64_t count, int granule, std::size_t elementSize)
{
    if (count < 0 || count > MachineBytes())
        return -1;
    std::int64_t cap = (count / granule) * granule + granule;
    if (MulSat(cap, static_cast<std::int64_t>(elementSize)) > MachineBytes())
        return -1;
    return cap;
}

void Shape::Set(int s1, int s2, int s3, int s4)
{
    if (s1 < 1)
        s1 = 0;
    size[0] = s1;
    size[1] = s2;
    size[2] = s3;
    size[3] = s4;
    // An absent (or negative) size spans one index in the layout, as it
    // counts 1 in the element count: with the size as given, a 0 before a
    // non-zero size would give a zero stride and overlapping elements.
    stride[0] = s1;
    stride[1] = MulSat(stride[0], Span(s2));
    stride[2] = MulSat(stride[1], Span(s3));
    dims = s4 ? 4 : s3 ? 3 : s2 ? 2 : s1 > 0 ? 1 : 0;
}

} // namespace arrays_detail

void DIMDATA(DGNatArray& a, int n, int* values)
{
    a.Dim(n, 0, 0, 0);
    for (int i = 0; i < n; ++i)
        a.Data()[i] = values[i];
}

void DIMDATA(DGIntArray& a, int n, double* values)
{
    a.Dim(n, 0, 0, 0);
    for (int i = 0; i < n; ++i)
        a.Data()[i] = values[i];
}

} // namespace __VELTRIC__
