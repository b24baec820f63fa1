// The administration frame, its registry of browse windows and the three table browses
// (see admin.h).
#include "app/admin.h"

#include "services/program_dir.h"
#include "services/reftables.h"
#include "services/strings.h"

#include <utility>
#include <vector>

namespace lysora {
namespace {

struct Registered {
    Symbol cls;
    std::unique_ptr<WIN> object;
};

std::vector<Registered>& Registry()
{
    static std::vector<Registered> registry;
    return registry;
}

std::unique_ptr<DBSEL> OpenSelection(Symbol table, const char* order)
{
    return std::make_unique<DBSEL>(AreaRef(table), ItemRef(Symbol(order)));
}

} // namespace

WIN* GLOBAL_OBJECT(Symbol cls)
{
    for (const Registered& entry : Registry())
        if (entry.cls == cls)
            return entry.object.get();
    return nullptr;
}

WIN* GLOBAL_REGISTER(Symbol cls, std::unique_ptr<WIN> object)
{
    Registry().push_back({cls, std::move(object)});
    return Registry().back().object.get();
}

void GLOBAL_RELEASE()
{
    // The newest first, as they were made; each takes its windows with it.
    auto& registry = Registry();
    while (!registry.empty())
        registry.pop_back();
}

void RegisterAdministration()
{
    RegisterDialogClass<DLGBRW_MAT>(cmd::DLGBRW_MAT.Name().data());
    RegisterDialogClass<DLGBRW_NUTRI>(cmd::DLGBRW_NUTRI.Name().data());
    RegisterDialogClass<DLGBRW_VAL>(cmd::DLGBRW_VAL.Name().data());
}

// ---- MAINWINDOW ---------------------------------------------------------------------------

MAINWINDOW::MAINWINDOW(WIN* closedWithIt)
    : WIN(nullptr, GKT_MDIFRAME, DONNEESGENERALES().titre), closedWithIt_(closedWithIt)
{
    if (_DEBUG()) {
        tables_.APPEND(cmd::DLGBRW_MAT, "Matières premières");
        tables_.APPEND(cmd::DLGBRW_NUTRI, "Nutriments");
        tables_.APPEND(cmd::DLGBRW_VAL, "Valeurs");
        bar_.APPEND(tables_);
    }
    bar_.APPEND(cmd::CLOSE, "&Quitter");
    SETMENU(bar_);
}

void MAINWINDOW::ONCMD(Symbol sym)
{
    DialogClasses& classes = DialogClasses::Instance();
    if (!classes.Has(sym))
        return;
    WIN* object = GLOBAL_OBJECT(sym);
    if (!object)
        object = GLOBAL_REGISTER(sym, classes.Create(sym));
    if (!object)
        return;
    if (object->Exists() && !IsWindowEnabled(object->HANDLE())) {
        MessageBeep(0); // busy with one of its forms
        return;
    }
    if (!object->Exists()) {
        object->SHOW();
        return;
    }
    if (Record() && Record()->mdi_client)
        SendMessageA(Record()->mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(object->HANDLE()), 0);
}

void MAINWINDOW::ONCLOSE()
{
    // The frame's end is the program's (its destruction posted the quit): the menu goes
    // too, so that nothing is left open behind the frame.
    if (closedWithIt_ && closedWithIt_->Exists())
        closedWithIt_->CLOSE();
}

// ---- The table browses ----------------------------------------------------------------------

DLGBRW_MAT::DLGBRW_MAT() : DLGBRW_STD("Matières premières", OpenSelection(TABLEMAT(), "MATIERE")) { BOUTONS(); }

DLGBRW_NUTRI::DLGBRW_NUTRI() : DLGBRW_STD("Nutriments", OpenSelection(TABLENUTRI(), "NUTRI")) { BOUTONS(); }

DLGBRW_VAL::DLGBRW_VAL() : DLGBRW_STD("Valeurs", OpenSelection(Symbol("valeurs"), "MAT_NUTRI")) { BOUTONS(); }

} // namespace lysora
