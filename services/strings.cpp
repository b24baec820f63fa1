// The string table in both languages, the language setting and the names derived from it.
// Texts are UTF-8 here and Windows-1252 in the program (the build converts literals).
#include "services/strings.h"

#include "base/messages.h"
#include "base/text.h"
#include "services/settings.h"

#include <algorithm>
#include <cctype>

namespace lysora {
namespace {

struct Entry {
    const char* key;
    const char* french;
    const char* english;
};

// An "&" marks the accelerator letter of a caption. Keys beginning with BT name the picture
// resource of a button; BMPTITRE names a bitmap file.
constexpr Entry kTable[] = {
    {"AAE", "Acides aminés essentiels", "Essential amino acids"},
    {"AAECOURT", "AAE", "EAA"},
    {"AANE", "Acides aminés non essentiels", "Non-essential amino acids"},
    {"AANECOURT", "AANE", "NEAA"},
    {"AP", "Analyse proximale", "Proximate analysis"},
    {"APCOURT", "AP", "PA"},
    {"ANGLAIS", "Anglais", "English"},
    {"ANNULER", "&Annuler", "&Cancel"},
    {"ATTENTION", "Attention", "Warning"},
    {"AUTEURS", "&Auteurs", "&Authors"},
    {"AVERTISSEMENT", "A&vertissement", "&Legal notice"},
    {"AVERTISSEMENTHISTO",
     "Seules les 30 premières matières premières seront prises en compte; confirmez-vous ?",
     "Only the first 30 feedstuffs will be displayed ! Do you want to continue anyway ?"},
    {"CHOIXMATCOMP", "Choix des matières premières et des paramètres à comparer",
     "Choice of feedstuffs and nutrients to compare"},
    {"CHOIXNUTRI", "Choix du nutriment", "Choice of the nutrient"},
    {"CLICENTETE", "Cliquer sur un en-tête de colonne pour trier", "Click on column header to sort"},
    {"COMPDIG_A", "Comparaison des digestibilités apparentes", "Comparison of apparent digestibilities"},
    {"COMPDIG_V", "Comparaison des digestibilités standardisées",
     "Comparison of standardised digestibilities"},
    {"COMPTB", "Comparaison des teneurs brutes", "Comparison of raw nutrients"},
    {"COMPTB16G", "Comparaison des teneurs g/16g N", "Comparison of amino acids expressed in g/16g N"},
    {"COMPTDIG_V", "Comparaison des teneurs digestibles standardisées",
     "Comparison of standardised digestible nutrients"},
    {"COMPMAT", "&Comparaison des matières premières", "&Comparison of feedstuffs"},
    {"CONCEPTMETHODOLOGIE", "Concepts et &méthodologies", "Concepts and &methodologies"},
    {"CONTINUER", "Continuer", "Continue"},
    {"CREERTABLEAU", "&Créer le tableau croisé", "&Create a cross table"},
    {"DIG_A", "Digestibilité apparente", "Apparent digestibility"},
    {"DIG_V", "Digestibilité standardisée", "Standardised digestibility"},
    {"ECARTTYPE", "Ecart-type", "Standard deviation"},
    {"ERREUR", "Erreur", "Error"},
    {"ERREURAIDE", "Impossible d'ouvrir l'aide ; la page cherchée est :",
     "The help cannot be opened; the page looked for is:"},
    {"ERREURCHOIXMAT", "Vous devez choisir au moins une matière première", "You must choose at least one feed"},
    {"ERREURCHOIXNUTRI", "Vous devez choisir au moins un nutriment", "You must choose at least one nutrient"},
    {"ERREURCREATIONFICHIER", "Impossible de créer le fichier", "Failed to create file"},
    {"ERREURECRITUREFICHIER", "Impossible d'écrire le fichier", "Failed to write file"},
    {"EXPORTOLVAN", "OLVAN 2", "OLVAN 2"},
    {"EXPORTER", "&Exporter", "&Export"},
    {"FERMER", "&Fermer", "&Close"},
    {"FICHEMAT", "&Fiches matières premières", "&Feedstuffs"},
    {"FRANCAIS", "Français", "French"},
    {"HISTOGRAMME", "Histogramme", "Histogram"},
    {"IMPRESSION", "Impression", "Print"},
    {"IMPTABLE", "&Impression table complète", "&Print the whole table"},
    {"IMPREFUSEE", "L'imprimante n'a pas accepté l'impression", "The printer did not accept the print job"},
    {"IMPAUCUNEPAGE", "Aucune des pages choisies n'est dans le document : rien n'est imprimé",
     "None of the chosen pages is in the document: nothing is printed"},
    {"IMPCHOIXIMPRIMANTE", "Impossible de choisir l'imprimante", "The printer cannot be chosen"},
    {"IMPAUCUNEIMPRIMANTE", "aucune imprimante n'est installée", "no printer is installed"},
    {"IMPPASDEDEFAUT", "aucune imprimante n'est choisie par défaut", "no printer is chosen as the default"},
    {"IMPINTROUVABLE", "l'imprimante choisie est introuvable", "the chosen printer cannot be found"},
    {"IMPPILOTE", "le pilote de l'imprimante ne peut pas être chargé", "the printer's driver cannot be loaded"},
    {"IMPMEMOIRE", "mémoire insuffisante", "not enough memory"},
    {"LOT", "&Lot...", "Ba&tch..."},
    {"LOTTITRE", "Lot de la matière première", "Your batch of the feedstuff"},
    {"LOTPROTEINE", "Matières azotées totales du lot (% brut)", "Crude protein of the batch (% as fed)"},
    {"LOTMS", "Matière sèche du lot (% brut)", "Dry matter of the batch (% as fed)"},
    {"LOTTABLE", "Table :", "Table:"},
    {"LOTVALEURSTABLE", "&Valeurs de la table", "&Table values"},
    {"LOTAJUSTE", "Ajusté au lot :", "Adjusted to your batch:"},
    {"LOTNONNUMERIQUE", "Saisissez un nombre, par exemple 38,5 (ou laissez vide).",
     "Enter a number, for example 38.5 (or leave it blank)."},
    {"LOTHORSLIMITES", "La valeur doit être supérieure à 0 et au plus 100 (% brut).",
     "The value must be above 0 and at most 100 (% as fed)."},
    {"LOTMATSUPMS", "Les matières azotées totales du lot doivent être inférieures à sa matière sèche.",
     "The batch's crude protein must be below its dry matter."},
    {"LISTEMAT", "Liste des matières premières", "List of feedstuffs"},
    {"LISTENUTRI", "Liste des nutriments", "List of nutrients"},
    {"MODEEMPLOI", "Mode d'&emploi", "&Help"},
    {"MENU", "Menu", "Menu"},
    {"MODIFSEL", "&Modifier la sélection", "&Modify the selection"},
    {"NBVALEURS", "Nombre de valeurs", "Number of values"},
    {"OK", "&Ok", "&Ok"},
    {"QUITTER", "&Quitter", "&Quit"},
    {"RETOURMENU", "&Retour au menu", "&Back to menu"},
    {"RIEN", "Rien", "None"},
    {"TB", "Teneur brute", "Raw nutrient"},
    {"TB16G", "Teneur g/16g N", "g/16g N expression"},
    {"TDIG_V", "Teneur digestible standardisée", "Standardised digestible nutrient"},
    {"TYPEVALEUR", "Type de valeur à afficher", "Type of value to display"},
    {"TABLEAUCOMP", "Tableau de comparaison", "Comparison table"},
    {"TOUT", "Tout", "All"},
    {"ZOOM", "Zoom", "Zoom"},
    {"BMPTITRE", "titre.bmp", "title.bmp"},
    {"BTANNULER", "Annuler", "Cancel"},
    {"BTAAE", "AAE", "EAA"},
    {"BTAANE", "AANE", "NEAA"},
    {"BTAP", "AP", "PA"},
    {"BTCROISE", "Croise", "Cross"},
    {"BTEXPORTER", "Exporter", "Export"},
    {"BTMODIFIER", "Modifra", "Modieng"},
    {"BTRETOUR", "Retour", "Back"},
    {"BTRIEN", "Rien", "None"},
    {"BTTOUT", "Tout", "All"},
    {"BTQUITTER", "Quitter", "Quit"},
};

// The value fields in list order; each mean is followed by its standard deviation.
constexpr const char* kValueFields[] = {"TB",    "E_TB",    "TB16G",  "E_TB16G",  "DIG_A", "E_DIG_A",
                                        "DIG_V", "E_DIG_V", "TDIG_V", "E_TDIG_V", "NB_VAL"};
constexpr const char* kValueTitleKeys[] = {"TB",    "ECARTTYPE", "TB16G",  "ECARTTYPE", "DIG_A",    "ECARTTYPE",
                                           "DIG_V", "ECARTTYPE", "TDIG_V", "ECARTTYPE", "NBVALEURS"};

struct Language {
    std::string code{kEnglish};
    std::vector<Symbol> keys;
    std::vector<std::string> texts;
    std::string helpFile;
    std::string conceptsFile;
    std::vector<Symbol> valueFields;
    std::vector<std::string> valueTitles;
};

Language& Current()
{
    static Language language;
    return language;
}

} // namespace

bool INITLANGUE()
{
    std::string code = UpperCase(GETPARAM(kParams, "langue"));
    if (code.empty())
        code = kEnglish;
    if (code != kFrench && code != kEnglish) {
        ShowMessage(code + " is not a valid language", "Error", kMbIconStop | kMbSetForeground | kMbNoOwner);
        return false;
    }
    return CHOISIRLANGUE(code);
}

bool CHOISIRLANGUE(std::string_view code)
{
    if (code != kFrench && code != kEnglish)
        return false;
    Language& language = Current();
    language.code = code;
    language.helpFile = PROGRAMDIR() + "help" + LowerCase(language.code) + ".hlp";
    language.conceptsFile = PROGRAMDIR() + "cpts" + LowerCase(language.code) + ".hlp";

    language.keys.clear();
    language.texts.clear();
    CHARGERCHAINES();

    language.valueFields.clear();
    language.valueTitles.clear();
    for (std::size_t i = 0; i < std::size(kValueFields); ++i) {
        language.valueFields.push_back(Symbol(kValueFields[i]));
        language.valueTitles.push_back(LIB(Symbol(kValueTitleKeys[i])));
    }
    return true;
}

void CHARGERCHAINES()
{
    Language& language = Current();
    bool french = language.code == kFrench;
    for (const Entry& entry : kTable) {
        language.keys.push_back(Symbol(entry.key));
        language.texts.push_back(french ? entry.french : entry.english);
    }
}

std::string LIB(Symbol key)
{
    const Language& language = Current();
    auto found = std::find(language.keys.begin(), language.keys.end(), key);
    if (found == language.keys.end())
        return "#" + key.Name();
    return language.texts[std::size_t(found - language.keys.begin())];
}

std::string LIB(const std::string& text) { return text; }
std::string LIB(const char* text) { return std::string(text); }

std::string LIB(const Value& keyOrText)
{
    if (keyOrText.IsSymbol())
        return LIB(keyOrText.GetSymbol());
    return keyOrText.Text();
}

const std::string& LANGUE() { return Current().code; }
Symbol TABLEMAT() { return Symbol(FICHIERMAT()); }
Symbol TABLENUTRI() { return Symbol(FICHIERNUTRI()); }
std::string FICHIERMAT() { return "mat" + LANGUE(); }
std::string FICHIERNUTRI() { return "nut" + LANGUE(); }
const std::string& FICHIERAIDE() { return Current().helpFile; }
const std::string& FICHIERCONCEPTS() { return Current().conceptsFile; }
const std::vector<Symbol>& CHAMPSVALEURS() { return Current().valueFields; }
const std::vector<std::string>& TITRESVALEURS() { return Current().valueTitles; }

std::vector<Symbol> CLESCHAINES()
{
    std::vector<Symbol> keys;
    for (const Entry& entry : kTable)
        keys.push_back(Symbol(entry.key));
    return keys;
}

std::string UNAMP(std::string_view text)
{
    std::string result(text);
    std::erase(result, '&');
    return result;
}

} // namespace lysora
