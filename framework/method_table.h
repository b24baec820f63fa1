// Calling a method by its name, and creating an object from the name of its class.
//
// Commands, menu items, "Init_" + tab name and dialog classes named by a command all reach
// code through a symbol. Each class declares the methods that may be called by name in ONE
// static MethodTable, chained to the table of its base class; one ClassRegistry maps class
// names to factories. Both are portable: the window classes use them with WIN as the root.
#pragma once

#include "base/symbol.h"
#include "framework/command.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <vector>

namespace lysora {

template <class Root>
class MethodTable {
public:
    using Call = std::function<void(Root&)>;
    struct Entry {
        Symbol name;
        Call call;
    };

    MethodTable(const MethodTable* base, std::initializer_list<Entry> entries)
        : base_(base), entries_(entries)
    {
    }

    // The method of that name in this class or the nearest base that declares it.
    const Call* Find(Symbol name) const
    {
        for (const MethodTable* table = this; table; table = table->base_)
            for (const Entry& entry : table->entries_)
                if (entry.name == name)
                    return &entry.call;
        return nullptr;
    }

private:
    const MethodTable* base_;
    std::vector<Entry> entries_;
};

// One entry of a MethodTable: the method of class T (derived from Root) reached by the name
// of a command constant. The method takes no argument; what it answers is dropped, as a
// command has no result.
template <class Root, class T, class R>
typename MethodTable<Root>::Entry Named(Command name, R (T::*method)())
{
    return {name.Sym(), [method](Root& object) { (static_cast<T&>(object).*method)(); }};
}

// Class names to factories, for the classes of one root type.
template <class Root>
class ClassRegistry {
public:
    using Factory = std::function<std::unique_ptr<Root>()>;

    static ClassRegistry& Instance()
    {
        static ClassRegistry registry;
        return registry;
    }

    template <class T>
    void Add(const char* name)
    {
        factories_[Symbol(name)] = [] { return std::unique_ptr<Root>(std::make_unique<T>()); };
    }
    bool Has(Symbol name) const { return factories_.count(name) != 0; }
    // A new object of the class of that name; null when no class has that name.
    std::unique_ptr<Root> Create(Symbol name) const
    {
        auto found = factories_.find(name);
        return found == factories_.end() ? nullptr : found->second();
    }

private:
    std::map<Symbol, Factory> factories_;
};

} // namespace lysora
