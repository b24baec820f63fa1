// A dialog built only through the framework: fields of several domains on two tab pages,
// a menu bar and OK/Cancel over an in-memory record. Choosing OK validates every field (the
// "Erreur" box names the first wrong one) and shows what was stored. With VALEURS on the
// command line it opens on the second page.
#include "base/message_box.h"
#include "data/domain_text.h"
#include "framework/dlg.h"

namespace lysora {

// The demo's commands: the filling of its two tab pages, and "About".
#define DLG_DEMO_COMMANDS(OWN, SHARED) OWN(Init_IDENT) OWN(Init_VALEURS) OWN(APROPOS)
LYSORA_COMMANDS(DLG_DEMO_COMMANDS)

namespace {

class DLG_DEMO : public DLG {
public:
    explicit DLG_DEMO(RecordBuffer& record) : DLG(nullptr, GKT_MAINDIALOG, "Fiche d'essai du cadre de dialogue")
    {
        DATA(&record);
        CENTER(560, 390);
        XY(15, 15);
        LBL(Symbol(), "Nom :").FLD(Symbol("NOM"), DomPtr()).LN();
        INITONGLET({Symbol("IDENT"), Symbol("VALEURS")}, {"Identification", "Valeurs"}, 10, 45, 430, 290);
        CMDOKCANCEL();
        CMD(cmd::APROPOS, "À &propos", 75, std::nullopt);

        menu_.APPEND(fichier_.APPEND(cmd::OK, "&Enregistrer").APPEND().APPEND(cmd::CLOSE, "&Quitter"));
        menu_.APPEND(aide_.APPEND(cmd::APROPOS, "À &propos..."));
        SETMENU(menu_);
        LOAD();
    }

    LYSORA_METHODS(DLG_DEMO, DLG, DLG_DEMO_COMMANDS)

    void Init_IDENT()
    {
        for (const char* field : {"CODE", "CATEGORIE", "DATE", "ACTIF"})
            LBL(Symbol(), DATA()->FLDTXT(Symbol(field)) + " :").FLD(Symbol(field), DomPtr()).LN(30);
    }

    void Init_VALEURS()
    {
        for (const char* field : {"QUANTITE", "CODENUM", "COULEUR", "VALIDE", "NOTE"})
            LBL(Symbol(), DATA()->FLDTXT(Symbol(field)) + " :").FLD(Symbol(field), DomPtr()).LN(30);
    }

    void APROPOS() { MESSAGE("Démonstration du cadre de dialogue de Lysora.", "À propos"); }

    bool OK() override
    {
        if (!VALIDATE_(Elements().size(), true, true).empty())
            return false;
        STORE();
        std::string summary = "Enregistré : " + DATA()->Get(Symbol("NOM")).Text() + ", quantité " +
                              AllTrim(Str(DATA()->Get(Symbol("QUANTITE")).Number(), 8, 2));
        MESSAGE(summary);
        return true;
    }

private:
    MENU menu_{MENU::kBar};
    MENU fichier_{MENU::kPopup, "&Fichier"};
    MENU aide_{MENU::kPopup, "&Aide"};
};

} // namespace
} // namespace lysora

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    using namespace lysora;
    App* app = App_New(instance);
    if (!app)
        return 1;
    __Out_RegisterBitmapInstance(instance);
    SetApplication(app);
    MessageBoxSink boxes;
    SetMessages(&boxes);
    SetDateEpoch(1950); // two-digit years typed or shown read back in 1950-2049

    RecordBuffer record;
    record.Declare(Symbol("NOM"), std::make_shared<DOM_CAR>(30, true), "Nom", "Tourteau de soja 48")
        .Declare(Symbol("CODE"), std::make_shared<DOM_UPPER>(6), "Code", "TS48")
        .Declare(Symbol("CATEGORIE"),
                 std::make_shared<DOM_CARLST>(1, true, std::vector<std::string>{"C", "T", "P"},
                                              std::vector<std::string>{"Céréale", "Tourteau", "Protéagineux"}),
                 "Catégorie", "T")
        .Declare(Symbol("DATE"), std::make_shared<DOM_DAT>(), "Date de saisie", Date::FromYmd(2026, 12, 7))
        .Declare(Symbol("ACTIF"), std::make_shared<DOM_BOOL>(), "Actif", "O")
        .Declare(Symbol("QUANTITE"), std::make_shared<DOM_NUM>(8, 2, true), "Quantité (kg)", 1250.5)
        .Declare(Symbol("CODENUM"), std::make_shared<DOM_CARNUM>(5, 1), "Taux (texte)", "12.5")
        .Declare(Symbol("COULEUR"), std::make_shared<DOM_COLOR>(12), "Couleur", "r255g192b0")
        .Declare(Symbol("VALIDE"), std::make_shared<DOM_OUINON>(), "Validé", "O")
        .Declare(Symbol("NOTE"), std::make_shared<DOM_TXT>(40), "Remarque", "Valeurs d'exemple");

    int code = 0;
    {
        DLG_DEMO dialog(record);
        SetMainWindow(&dialog);
        dialog.SHOW();
        if (std::string(GetCommandLineA()).find("VALEURS") != std::string::npos)
            dialog.SELECTTAB(Symbol("VALEURS")); // shows the second page at once
        code = Loop_Main(0);
        SetMainWindow(nullptr);
    }
    App_Delete(app);
    return code;
}
