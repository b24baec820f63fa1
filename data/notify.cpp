// Change notification (see notify.h).
#include "data/notify.h"

#include <algorithm>
#include <vector>

namespace lysora {
namespace {

std::vector<NotifyTarget*>& Registered()
{
    static std::vector<NotifyTarget*> objects;
    return objects;
}

bool IsRegistered(NotifyTarget* object)
{
    const auto& objects = Registered();
    return std::find(objects.begin(), objects.end(), object) != objects.end();
}

} // namespace

void NOTIFY_REGISTER(NotifyTarget* object)
{
    if (object && !IsRegistered(object))
        Registered().push_back(object);
}

void NOTIFY_UNREGISTER(NotifyTarget* object)
{
    auto& objects = Registered();
    objects.erase(std::remove(objects.begin(), objects.end(), object), objects.end());
}

void NOTIFY_SENDALL(Symbol method)
{
    // A receiver may register or unregister objects (itself included) while it runs.
    const std::vector<NotifyTarget*> round = Registered();
    for (NotifyTarget* object : round)
        if (IsRegistered(object))
            object->SendMethod(method);
}

} // namespace lysora
