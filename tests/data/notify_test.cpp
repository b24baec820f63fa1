// Change notification: only registered objects that have the method receive it, and the
// list may change while a round is under way.
#include "data/notify.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lysora {
namespace {

struct Listener final : NotifyTarget {
    Symbol knows;
    std::vector<std::string> received;
    NotifyTarget* dropOnCall = nullptr; // unregistered when this listener is called

    explicit Listener(const char* method) : knows(method) {}
    bool SendMethod(Symbol method) override
    {
        if (method != knows)
            return false;
        received.push_back(method.Name());
        if (dropOnCall)
            NOTIFY_UNREGISTER(dropOnCall);
        return true;
    }
};

TEST(Notify, ReachesRegisteredObjectsThatHaveTheMethod)
{
    Listener browse("REFRESH"), form("ONCOMMIT"), gone("REFRESH");
    NOTIFY_REGISTER(&browse);
    NOTIFY_REGISTER(&browse); // once only
    NOTIFY_REGISTER(&form);
    NOTIFY_REGISTER(&gone);
    NOTIFY_UNREGISTER(&gone);

    NOTIFY_SENDALL(Symbol("REFRESH"));
    EXPECT_EQ(browse.received, std::vector<std::string>{"REFRESH"});
    EXPECT_TRUE(form.received.empty());
    EXPECT_TRUE(gone.received.empty());
    NOTIFY_UNREGISTER(&browse);
    NOTIFY_UNREGISTER(&form);
}

TEST(Notify, ObjectsUnregisteredDuringARoundAreSkipped)
{
    Listener first("REFRESH"), second("REFRESH");
    first.dropOnCall = &second;
    NOTIFY_REGISTER(&first);
    NOTIFY_REGISTER(&second);
    NOTIFY_SENDALL(Symbol("REFRESH"));
    EXPECT_EQ(first.received.size(), 1u);
    EXPECT_TRUE(second.received.empty());
    NOTIFY_UNREGISTER(&first);
}

} // namespace
} // namespace lysora
