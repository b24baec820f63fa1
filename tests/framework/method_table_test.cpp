// Methods reached by name through the tables the command lists build, chained from class to
// base class, and classes created from their name.
#include "framework/method_table.h"

#include <gtest/gtest.h>

#include <string>

namespace lysora {

// Base answers two framework commands: CLOSE with a plain method, OK with a virtual one.
// Derived adds two commands of its own, overrides OK without listing it and answers CLOSE
// with its own method, which hides the base's. Leaf lists nothing.
#define ESSAI_BASE_COMMANDS(OWN, SHARED) SHARED(CLOSE) SHARED(OK)
#define ESSAI_DERIVED_COMMANDS(OWN, SHARED) OWN(FicheMat) OWN(ESSAI_SUIVANT) SHARED(CLOSE)
LYSORA_COMMANDS(ESSAI_DERIVED_COMMANDS)

namespace {

struct Base : MethodRoot<Base> {
    LYSORA_METHODS(Base, MethodRoot<Base>, ESSAI_BASE_COMMANDS)
    std::string calls;
    void CLOSE() { calls += "Base:CLOSE "; }
    virtual void OK() { calls += "Base:OK "; }
};

struct Derived : Base {
    LYSORA_METHODS(Derived, Base, ESSAI_DERIVED_COMMANDS)
    void OK() override { calls += "Derived:OK "; }
    int FicheMat() { calls += "Derived:FICHEMAT "; return 1; }
    void ESSAI_SUIVANT() { calls += "Derived:SUIVANT "; }
    void CLOSE() { calls += "Derived:CLOSE "; }
};

struct Leaf : Derived {
    void OK() override { calls += "Leaf:OK "; }
};

// What a window does with a command: the method of the object's own class table.
std::string Answer(Base& object, std::initializer_list<Symbol> names)
{
    object.calls.clear();
    for (Symbol name : names) {
        const auto* call = object.Methods().Find(name);
        if (!call)
            object.calls += "none:" + name.Name() + " ";
        else
            (*call)(object);
    }
    return object.calls;
}

TEST(MethodTable, ListsAnswerOwnInheritedAndOverriddenCommandsByCaseInsensitiveName)
{
    Derived derived;
    EXPECT_EQ(Answer(derived, {Symbol("fichemat"), cmd::ESSAI_SUIVANT, cmd::CLOSE, cmd::OK}),
              "Derived:FICHEMAT Derived:SUIVANT Derived:CLOSE Derived:OK ");
    // The constants the list declares carry the command names.
    EXPECT_EQ(cmd::FicheMat.Name(), "FicheMat");
    EXPECT_EQ(cmd::ESSAI_SUIVANT.Sym(), Symbol("ESSAI_SUIVANT"));

    // A class without a list answers with its base's table, overrides included.
    Leaf leaf;
    EXPECT_EQ(Answer(leaf, {cmd::OK, cmd::FicheMat, cmd::CLOSE}), "Leaf:OK Derived:FICHEMAT Derived:CLOSE ");

    // The base sees none of its derived classes' commands, and calls its own CLOSE.
    Base base;
    EXPECT_EQ(Answer(base, {cmd::CLOSE, cmd::OK, cmd::FicheMat, Symbol("NOSUCHMETHOD"), Symbol()}),
              "Base:CLOSE Base:OK none:FICHEMAT none:NOSUCHMETHOD none: ");
    EXPECT_EQ(Answer(leaf, {Symbol("NOSUCHMETHOD")}), "none:NOSUCHMETHOD ");
}

TEST(ClassRegistry, CreatesRegisteredClassesByNameOnly)
{
    ClassRegistry<Base> registry;
    registry.Add<Derived>("DLG_ESSAI");
    EXPECT_TRUE(registry.Has(Symbol("dlg_essai")));
    EXPECT_FALSE(registry.Has(Symbol("DLG_AUTRE")));
    EXPECT_EQ(registry.Create(Symbol("DLG_AUTRE")), nullptr);
    std::unique_ptr<Base> created = registry.Create(Symbol("DLG_ESSAI"));
    ASSERT_NE(created, nullptr);
    created->OK();
    EXPECT_EQ(created->calls, "Derived:OK ");
}

} // namespace
} // namespace lysora
