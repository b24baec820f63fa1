// Change notification: a program-wide list of objects told when a commit has happened
// (ONCOMMIT) or a record has vanished (REFRESH). The browse field registers itself when
// shown and a window unregisters when it is destroyed.
#pragma once

#include "base/symbol.h"

namespace lysora {

// An object that can be sent a method by name.
class NotifyTarget {
public:
    virtual ~NotifyTarget() = default;
    // Calls the method named method when the object has one; returns whether it had.
    virtual bool SendMethod(Symbol method) = 0;
};

void NOTIFY_REGISTER(NotifyTarget* object);   // appends it (once) to the list
void NOTIFY_UNREGISTER(NotifyTarget* object); // removes it
// Sends method, without arguments, to every registered object that has a method of that
// name. An object unregistered by an earlier one during the round is skipped.
void NOTIFY_SENDALL(Symbol method);

} // namespace lysora
