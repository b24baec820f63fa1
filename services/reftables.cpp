// The reference table declarations, the program's database and the data loaded from it.
#include "services/reftables.h"

#include "base/messages.h"
#include "base/text.h"
#include "data/domain.h"
#include "data/domain_cartbl.h"
#include "services/strings.h"

#include <memory>

namespace lysora {
namespace {

constexpr int kNutriWidth = 5; // width of the nutrient code, also the seek key's width
constexpr int kNutriListWidth = 200; // the value table's nutrient drop-down list
constexpr int kDefinitionWidth = 600; // the feedstuff's definition text

std::unique_ptr<DATABASE>& ProgramDatabase()
{
    static std::unique_ptr<DATABASE> database;
    return database;
}

DonneesGenerales& General()
{
    static DonneesGenerales data;
    return data;
}

DomPtr Numeric(int len, int dec = 0) { return std::make_shared<DOM_NUM>(len, dec); }
DomPtr Character(int len, bool mandatory = false) { return std::make_shared<DOM_CAR>(len, mandatory); }
DomPtr Flag() { return std::make_shared<DOM_BOOL>(); }

std::string TextField(DBSEL& selection, const std::string& field)
{
    return AllTrim(selection.Get(Symbol(field)).Text());
}

// The field of a general-table text: trimmed of its padding, then unscrambled.
std::string ScrambledField(DBSEL& selection, const std::string& field)
{
    return DECRYPTER(TextField(selection, field));
}

bool GeneralError(const char* text)
{
    ShowMessage(text, "Erreur", kMbIconStop);
    return false;
}

} // namespace

DBF_MAT::DBF_MAT() : DBF(FICHIERMAT())
{
    TXT(Value("Matiere première"), Value());
    FLD(Symbol("MATIERE"), Numeric(4), "Code");
    FLD(Symbol("LIBELLE"), Character(100, true), "Libellé");
    FLD(Symbol("COURT"), Character(20, true), "Libellé court");
    FLD(Symbol("DEFINITION"), Character(kDefinitionWidth, true), "Définition");
    ORD(Symbol("MATIERE"), std::vector{Symbol("MATIERE")});
    ORD(Symbol("LIBELLE"), std::vector{Symbol("LIBELLE")});
}

DBF_NUTRI::DBF_NUTRI() : DBF(FICHIERNUTRI())
{
    TXT(Value("Nutriment"), Value());
    FLD(Symbol("NUTRI"), Character(kNutriWidth, true), "Code");
    FLD(Symbol("COURT"), Character(5, true), "Nom court");
    FLD(Symbol("LONG"), Character(35, true), "Nom long");
    FLD(Symbol("ORDRE"), Numeric(3), "Ordre");
    FLD(Symbol("TB"), Flag(), "Gestion teneur brute");
    FLD(Symbol("TB16G"), Flag(), "Gestion teneur brute en g/16g N");
    FLD(Symbol("DIG_A"), Flag(), "Gestion digestibilité apparente");
    FLD(Symbol("DIG_V"), Flag(), "Gestion digestibilité standardisée");
    FLD(Symbol("TDIG_V"), Flag(), "Gestion teneur digestible standardisée");
    ORD(Symbol("NUTRI"), std::vector{Symbol("NUTRI")});
    ORD(Symbol("ORDRE"), std::vector{Symbol("ORDRE")});
}

DBF_VAL::DBF_VAL() : DBF("valeurs")
{
    TXT(Value("Valeurs"), Value());
    FLD(Symbol("MATIERE"), Numeric(4), "Matière première");
    FLD(Symbol("NUTRI"),
        std::make_shared<DOM_CARTBL>(kNutriWidth, true, TABLENUTRI(), Symbol("NUTRI"), Symbol("NUTRI"), Symbol("LONG"),
                                     kNutriListWidth),
        "Nutriment");
    FLD(Symbol("NB_VAL"), Numeric(3), "Nombre de valeurs");
    FLD(Symbol("TB"), Numeric(6, 2), "Teneur brute");
    FLD(Symbol("TB16G"), Numeric(6, 2), "Teneur brute en g/16g N");
    FLD(Symbol("DIG_A"), Numeric(6, 2), "Digestibilité apparente");
    FLD(Symbol("DIG_V"), Numeric(6, 2), "Digestibilité standardisée");
    FLD(Symbol("TDIG_V"), Numeric(6, 2), "Teneur digestible standardisée");
    FLD(Symbol("E_TB"), Numeric(6, 2), "Ecart-type teneur brute");
    FLD(Symbol("E_TB16G"), Numeric(6, 2), "Ecart-type teneur brute en g/16g N");
    FLD(Symbol("E_DIG_A"), Numeric(6, 2), "Ecart-type digestibilité apparente");
    FLD(Symbol("E_DIG_V"), Numeric(6, 2), "Ecart-type digestibilité standardisée");
    FLD(Symbol("E_TDIG_V"), Numeric(6, 2), "Ecart-type teneur digestible standardisée");
    ORD(Symbol("MAT_NUTRI"), std::vector{Symbol("MATIERE"), Symbol("NUTRI")});
}

DBF_GENERAL::DBF_GENERAL() : DBF("general")
{
    TXT(Value("General"), Value());
    FLD(Symbol("TITREFRA"), Character(100), "Titre français du logiciel");
    FLD(Symbol("TITREENG"), Character(100), "Titre anglais du logiciel");
    FLD(Symbol("COPYFRA"), Character(200), "Copyright français");
    FLD(Symbol("COPYENG"), Character(200), "Copyright anglais");
    FLD(Symbol("ORDRE1"), Numeric(3), "Premier numéro d'ordre");
    FLD(Symbol("ORDRE2"), Numeric(3), "Second numéro d'ordre");
    FLD(Symbol("NUTRI"), Character(kNutriWidth, true), "Nutriment permanent");
}

DATABASE& I_DATABASE()
{
    auto database = std::make_unique<DATABASE>();
    database->ADD(std::make_shared<DBF_MAT>());
    database->ADD(std::make_shared<DBF_NUTRI>());
    database->ADD(std::make_shared<DBF_VAL>());
    database->ADD(std::make_shared<DBF_GENERAL>());
    ProgramDatabase() = std::move(database); // the earlier one, if any, closes its tables
    return *ProgramDatabase();
}

DATABASE* BASEPROGRAMME() { return ProgramDatabase().get(); }

const DonneesGenerales& DONNEESGENERALES() { return General(); }

bool LOADGENERAL()
{
    DBSEL general(AreaRef("general"));
    general.GOTOP();
    if (general.Eof())
        return GeneralError("Table générale non renseignée; utilisez l'outil d'administration");
    DonneesGenerales& data = General();
    data.titre = ScrambledField(general, "TITRE" + LANGUE());
    data.copyright = ScrambledField(general, "COPY" + LANGUE());
    data.ordre1 = int(general.Get(Symbol("ORDRE1")).Number());
    data.ordre2 = int(general.Get(Symbol("ORDRE2")).Number());
    data.nutriPermanent = ScrambledField(general, "NUTRI");
    if (data.nutriPermanent.empty())
        return GeneralError("Nutriment global non renseigné; utilisez l'outil d'administration");
    if (data.ordre1 == 0)
        return GeneralError("Ordre1 non renseigné; utilisez l'outil d'administration");
    if (data.ordre2 == 0)
        return GeneralError("Ordre2 non renseigné; utilisez l'outil d'administration");
    return true;
}

bool LOADNUTRIMENTS()
{
    DonneesGenerales& data = General();
    const std::string& permanent = data.nutriPermanent;
    DBSEL nutrients(AreaRef(TABLENUTRI()), Symbol("NUTRI"));
    std::string key = permanent;
    key.resize(std::max<std::size_t>(key.size(), kNutriWidth), ' ');
    std::string permanentCourt = nutrients.SEEK(key) ? TextField(nutrients, "COURT") : std::string();

    for (GroupeNutriments* group : {&data.aae, &data.aane, &data.ap}) {
        group->codes = {permanent};
        group->courts = {permanentCourt};
    }
    nutrients.ORD(Symbol("ORDRE"));
    for (nutrients.GOTOP(); !nutrients.Eof(); nutrients.SKIP(1)) {
        std::string code = TextField(nutrients, "NUTRI");
        if (code == permanent)
            continue; // already first in every group
        int ordre = int(nutrients.Get(Symbol("ORDRE")).Number());
        GroupeNutriments& group = ordre < data.ordre1 ? data.aae : ordre < data.ordre2 ? data.aane : data.ap;
        group.codes.push_back(code);
        group.courts.push_back(TextField(nutrients, "COURT"));
    }
    return true;
}

bool VALEURSUPPORTEE(DBSEL& nutrient, int entry)
{
    const std::vector<Symbol>& fields = CHAMPSVALEURS();
    if (entry < 1 || entry > int(fields.size()))
        return false;
    if (entry == int(fields.size()))
        return true; // NB_VAL
    // A standard deviation (even entry) goes with the mean just before it.
    Symbol type = fields[std::size_t(entry % 2 == 0 ? entry - 2 : entry - 1)];
    return nutrient.Get(type).Text() == "O";
}

std::string CRYPTER(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = char(static_cast<unsigned char>(c) ^ kScrambleKey);
    return result;
}

std::string DECRYPTER(std::string_view text) { return CRYPTER(text); }

} // namespace lysora
