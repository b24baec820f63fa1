// Calling a method by its name, and creating an object from the name of its class.
//
// Commands, menu items, "Init_" + tab name and dialog classes named by a command all reach
// code through a symbol. Each class declares the methods that may be called by name in ONE
// static MethodTable, chained to the table of its base class; one ClassRegistry maps class
// names to factories. Both are portable: the window classes use them with WIN as the root.
//
// ---- Declaring a class's commands ----
// A class names each command its methods answer once, in a list macro in its header. The
// name is at once the command's text, its constant cmd::NAME and the method that runs:
//
//     #define DLG_INTRO_COMMANDS(OWN, SHARED) OWN(FRA) OWN(ENG) SHARED(ONTIMER)
//     LYSORA_COMMANDS(DLG_INTRO_COMMANDS) // in namespace lysora: cmd::FRA ("FRA"), cmd::ENG
//
// and, in the class body, LYSORA_METHODS(DLG_INTRO, DLG, DLG_INTRO_COMMANDS) builds the
// class's table from the same list, chained to DLG's: FRA runs DLG_INTRO::FRA(). OWN(X) is a
// command of this class: the list declares its constant. SHARED(X) is a command declared
// elsewhere (the framework's cmd::ONTIMER, a command two views answer) that this class
// answers too. The list is a macro because one C++ declaration makes either a constant or a
// table entry, never both: one list expanded twice keeps them from drifting apart. A command
// without a method of its name (answered in ONCMD, or a field's symbol) is a plain Command
// constant.
//
// A derived class answers its base's commands as well as its own. A handler the base lists
// and the derived class overrides (a virtual such as DLG::OK) needs no entry of its own: the
// base's entry calls the override. A class without commands of its own writes neither.
#pragma once

#include "base/symbol.h"
#include "framework/command.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <type_traits>
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

    // One entry: the method of class T (derived from Root) reached by the command's name.
    // The method takes no argument; what it answers is dropped, as a command has no result.
    template <class T, class R>
    static Entry Named(Command name, R (T::*method)())
    {
        return {name.Sym(), [method](Root& object) { (static_cast<T&>(object).*method)(); }};
    }

private:
    const MethodTable* base_;
    std::vector<Entry> entries_;
};

// The base of the root class of a hierarchy whose methods are called by name (WIN): the
// empty table the root's own chains to, and the virtual that answers an object's table.
template <class Root>
class MethodRoot {
public:
    virtual ~MethodRoot() = default;
    static const MethodTable<Root>& ClassMethods()
    {
        static const MethodTable<Root> none(nullptr, {});
        return none;
    }
    virtual const MethodTable<Root>& Methods() const { return ClassMethods(); }
};

// The constants of a command list (see above), declared in namespace lysora::cmd.
#define LYSORA_COMMAND_CONSTANT(NAME) inline constexpr ::lysora::Command NAME{#NAME};
#define LYSORA_NO_CONSTANT(NAME)
#define LYSORA_COMMANDS(LIST)                                                                                  \
    namespace cmd {                                                                                            \
    LIST(LYSORA_COMMAND_CONSTANT, LYSORA_NO_CONSTANT)                                                          \
    }

// The method table of CLASS, derived from BASE, built from a command list (see above).
#define LYSORA_OWN_METHOD(NAME) Table::Named(::lysora::Command(#NAME), &Self::NAME),
#define LYSORA_SHARED_METHOD(NAME) Table::Named(::lysora::cmd::NAME, &Self::NAME),
#define LYSORA_METHODS(CLASS, BASE, LIST)                                                                      \
    static decltype(BASE::ClassMethods()) ClassMethods()                                                       \
    {                                                                                                          \
        using Self = CLASS;                                                                                    \
        using Table = std::remove_cvref_t<decltype(BASE::ClassMethods())>;                                     \
        static const Table table(&BASE::ClassMethods(), {LIST(LYSORA_OWN_METHOD, LYSORA_SHARED_METHOD)});       \
        return table;                                                                                          \
    }                                                                                                          \
    decltype(BASE::ClassMethods()) Methods() const override { return ClassMethods(); }

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
