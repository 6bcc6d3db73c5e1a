#pragma once
// Resources compiled into a module. On Linux each file given to the CMake function
// vellicor_embed_resources(<target> ID=file ...) becomes bytes in a generated source of that target,
// which registers its table here at start-up; a module's tables are its own (hidden symbols). On Windows
// the same ids are "PNG" resources of a .rc file (a product lists its ids in a header of its own).
#include "drawing/PIX_IBitmap.h"
#include <cstddef>

struct PIX_ResourceEntry
{
    int32_t id;
    const unsigned char* data;
    size_t size;
};

struct PIX_ResourceTable
{
    const PIX_ResourceEntry* entries;
    int32_t count;
    PIX_ResourceTable* next; // set by PIX_RegisterResources
};

// Called by the generated sources before main (or when a module loads).
void PIX_RegisterResources(PIX_ResourceTable* table);
// Finds the data of a registered resource whose id has these low 16 bits; false when there is none.
bool PIX_FindRegisteredResource(int32_t id, const unsigned char** data, size_t* size);
// Finds the data of the resource whose id has these low 16 bits; false when there is none. The module
// handle selects the module on platforms that need it.
bool PIX_FindResource(PIX_ModuleHandle module, int32_t id, const unsigned char** data, size_t* size);
