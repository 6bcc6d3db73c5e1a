// Linux resources: the tables the module registered (its generated sources are its own).
#include "drawing/PIX_Resources.h"

bool PIX_FindResource(PIX_ModuleHandle, int32_t id, const unsigned char** data, size_t* size)
{
    return PIX_FindRegisteredResource(id, data, size);
}
