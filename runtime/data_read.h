#pragma once
// DATA lists of a translated program, read in order with READ and started
// again with RESTORE. The program owns the lists; the runtime only reads them.
#include "runtime/dgstr.h"

namespace __VELTRIC__ {

// One DATA item: a number, or a text when text is not null.
struct RTDataItem {
    double number;
    const char* text;
};

// One DATA list: its items in program order, their count and the index of
// the next item to read.
struct RTDataStoreageContainer {
    RTDataItem* items;
    int count;
    int position;
};

// The list READ takes from; null until the first RESTORE.
extern RTDataStoreageContainer* __gpDataContainer;

// Makes the list current and starts it from its first item.
RTDataStoreageContainer& RESTORE(RTDataStoreageContainer& data);

// The next item; reading with no current list or past its end is error 20.
// A text item read as a number is converted like any number text; a number
// item read as text is formatted as DGStr(double) does.
void READ(double& out);
// The number truncated toward zero; a value outside the int range is
// clamped to it, and NaN reads as 0.
void READ(int& out);
void READ(DGStr& out);

} // namespace __VELTRIC__
