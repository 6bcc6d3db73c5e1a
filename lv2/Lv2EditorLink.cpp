#include "lv2/Lv2EditorLink.h"

#include "lv2/atom/util.h"

#include <algorithm>
#include <cstring>

namespace vellicor::lv2
{
bool EditorLinkUrids::Map(const LV2_URID_Map* map, const char* pluginUri)
{
    if (!map || !pluginUri) return false;
    auto own = [&](const char* suffix)
    { return map->map(map->handle, (std::string(pluginUri) + suffix).c_str()); };
    feed = own(kFeedSuffix);
    feedValues = own(kFeedValuesSuffix);
    command = own(kCommandSuffix);
    commandValue = own(kCommandValueSuffix);
    atomFloat = map->map(map->handle, LV2_ATOM__Float);
    atomInt = map->map(map->handle, LV2_ATOM__Int);
    atomVector = map->map(map->handle, LV2_ATOM__Vector);
    atomObject = map->map(map->handle, LV2_ATOM__Object);
    atomBlank = map->map(map->handle, LV2_ATOM__Blank);
    eventTransfer = map->map(map->handle, LV2_ATOM__eventTransfer);
    return feed != 0;
}

namespace
{
// The value of key in an object of type otype, or null.
const LV2_Atom* Property(const EditorLinkUrids& u, const LV2_Atom* atom, LV2_URID otype, LV2_URID key)
{
    if (!atom || (atom->type != u.atomObject && atom->type != u.atomBlank) ||
        atom->size < sizeof(LV2_Atom_Object_Body))
        return nullptr;
    const auto* object = reinterpret_cast<const LV2_Atom_Object*>(atom);
    if (object->body.otype != otype) return nullptr;
    const LV2_Atom* value = nullptr;
    lv2_atom_object_get(object, key, &value, 0);
    return value;
}
} // namespace

int32_t ReadFeed(const EditorLinkUrids& u, const LV2_Atom* atom, float* values)
{
    const LV2_Atom* v = Property(u, atom, u.feed, u.feedValues);
    if (!v || v->type != u.atomVector || v->size < sizeof(LV2_Atom_Vector_Body)) return -1;
    const auto* vector = reinterpret_cast<const LV2_Atom_Vector*>(v);
    if (vector->body.child_type != u.atomFloat || vector->body.child_size != sizeof(float)) return -1;
    const uint32_t count = (v->size - sizeof(LV2_Atom_Vector_Body)) / sizeof(float);
    const int32_t n = static_cast<int32_t>(std::min<uint32_t>(count, kMaxFeedValues));
    std::memcpy(values, reinterpret_cast<const float*>(&vector->body + 1),
                sizeof(float) * static_cast<size_t>(n));
    return n;
}

int32_t ReadCommand(const EditorLinkUrids& u, const LV2_Atom* atom)
{
    const LV2_Atom* v = Property(u, atom, u.command, u.commandValue);
    if (!v || v->type != u.atomInt || v->size != sizeof(int32_t)) return -1;
    const int32_t command = reinterpret_cast<const LV2_Atom_Int*>(v)->body;
    return command >= 0 ? command : -1;
}

bool ForgeCommand(const EditorLinkUrids& u, LV2_Atom_Forge& forge, int32_t command)
{
    LV2_Atom_Forge_Frame frame;
    if (!lv2_atom_forge_object(&forge, &frame, 0, u.command)) return false;
    const bool ok = lv2_atom_forge_key(&forge, u.commandValue) && lv2_atom_forge_int(&forge, command);
    lv2_atom_forge_pop(&forge, &frame);
    return ok;
}

bool ForgeFeed(const EditorLinkUrids& u, LV2_Atom_Forge& forge, const float* values, int32_t count)
{
    LV2_Atom_Forge_Frame frame;
    if (!lv2_atom_forge_object(&forge, &frame, 0, u.feed)) return false;
    const bool ok =
        lv2_atom_forge_key(&forge, u.feedValues) &&
        lv2_atom_forge_vector(&forge, sizeof(float), u.atomFloat, static_cast<uint32_t>(count), values);
    lv2_atom_forge_pop(&forge, &frame);
    return ok;
}
} // namespace vellicor::lv2
