#include "runtime/data_read.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "runtime/core.h"

namespace __VELTRIC__ {

RTDataStoreageContainer* __gpDataContainer = nullptr;

namespace {

const RTDataItem& NextItem()
{
    RTDataStoreageContainer* d = __gpDataContainer;
    if (!d || d->position < 0 || d->position >= d->count || !d->items) {
        __Error(20);
        __EndProgram();
    }
    return d->items[d->position++];
}

} // namespace

RTDataStoreageContainer& RESTORE(RTDataStoreageContainer& data)
{
    __gpDataContainer = &data;
    data.position = 0;
    return data;
}

void READ(double& out)
{
    const RTDataItem& item = NextItem();
    out = item.text ? std::strtod(item.text, nullptr) : item.number;
}

void READ(int& out)
{
    double v;
    READ(v);
    if (std::isnan(v))
        out = 0;
    else if (v >= 2147483647.0)
        out = INT_MAX;
    else if (v <= -2147483648.0)
        out = INT_MIN;
    else
        out = static_cast<int>(v);
}

void READ(DGStr& out)
{
    const RTDataItem& item = NextItem();
    if (item.text)
        out = item.text;
    else
        out = item.number;
}

} // namespace __VELTRIC__
