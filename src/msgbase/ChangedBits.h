// Writing back a header that other programs may have changed since it was
// loaded: only the bits this program changed are carried over to the record
// as it is on disk now, so that what a tosser set meanwhile (Sent, a reply
// link) survives.
#pragma once

#include <cstddef>

// onDisk := onDisk with every bit that differs between asLoaded and
// asChanged taken from asChanged. All three are records of the same size.
void ApplyChangedBits(void* onDisk, const void* asLoaded, const void* asChanged, std::size_t size);
