// The module's registered resource tables: the generated sources of vellicor_embed_resources register
// here on Linux; on both platforms code may register bytes it made at run time.
#include "drawing/PIX_Resources.h"

namespace
{
// Constant-initialised, so registrations from any static initialiser find it ready.
PIX_ResourceTable* gTables = nullptr;
} // namespace

void PIX_RegisterResources(PIX_ResourceTable* table)
{
    for (PIX_ResourceTable* t = gTables; t; t = t->next)
        if (t == table) return;
    table->next = gTables;
    gTables = table;
}

bool PIX_FindRegisteredResource(int32_t id, const unsigned char** data, size_t* size)
{
    const int32_t key = id & 0xFFFF;
    for (const PIX_ResourceTable* t = gTables; t; t = t->next)
        for (int32_t i = 0; i < t->count; ++i)
            if ((t->entries[i].id & 0xFFFF) == key)
            {
                *data = t->entries[i].data;
                *size = t->entries[i].size;
                return true;
            }
    return false;
}
