// Methods reached by name through chained tables, and classes created from their name.
#include "framework/method_table.h"

#include <gtest/gtest.h>

#include <string>

namespace lysora {
namespace {

struct Base {
    virtual ~Base() = default;
    std::string calls;
    void CLOSE() { calls += "Base:CLOSE "; }
    virtual void OK() { calls += "Base:OK "; }
    static const MethodTable<Base>& Table()
    {
        static const MethodTable<Base> table(nullptr, {Named<Base>(Command("CLOSE"), &Base::CLOSE), Named<Base>(Command("OK"), &Base::OK)});
        return table;
    }
};

struct Derived : Base {
    void OK() override { calls += "Derived:OK "; }
    int FICHEMAT() { calls += "Derived:FICHEMAT "; return 1; }
    static const MethodTable<Base>& Table()
    {
        static const MethodTable<Base> table(&Base::Table(), {Named<Base>(Command("FicheMat"), &Derived::FICHEMAT)});
        return table;
    }
};

TEST(MethodTable, FindsOwnMethodsThenTheBaseOnesByCaseInsensitiveName)
{
    Derived object;
    for (const char* name : {"FICHEMAT", "close", "OK"}) {
        const auto* call = Derived::Table().Find(Symbol(name));
        ASSERT_NE(call, nullptr) << name;
        (*call)(object);
    }
    EXPECT_EQ(object.calls, "Derived:FICHEMAT Base:CLOSE Derived:OK ");
}

TEST(MethodTable, UnknownNamesAndBaseTablesDoNotSeeDerivedMethods)
{
    EXPECT_EQ(Derived::Table().Find(Symbol("NOSUCHMETHOD")), nullptr);
    EXPECT_EQ(Base::Table().Find(Symbol("FICHEMAT")), nullptr);
    EXPECT_EQ(Derived::Table().Find(Symbol()), nullptr);
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
