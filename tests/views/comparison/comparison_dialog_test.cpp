// The comparison dialogs on real windows: the selection restored from the settings (stale
// keys left out), its buttons and checks, the hand-over to the table and back (MODIFSEL);
// the table's cells against the values of the table sources (read here, not through the
// code under test), the value-type switch, the sort kept across rebuilds, the semicolon
// export byte for byte, the histogram question answered both ways, help, and every way of
// closing both dialogs.
#include "views/chart/dlg_nutriselect.h"
#include "views/comparison/dlg_compmat.h"
#include "views/comparison/dlg_compmatselect.h"

#include "data/domain_text.h"
#include "services/colours.h"
#include "services/help_win32.h"
#include "services/settings.h"
#include "tests/framework/gui_fixture.h"
#include "tests/support/window_picture.h"
#include "tests/views/comparison/dialog_fixture.h"
#include "tools/maketables/table_sources.h"
#include "views/comparison/comparison.h"
#include "views/grid/fld_grille.h"
#include "views/grid/grid_model.h"

#include <fstream>
#include <map>
#include <set>

namespace lysora {
namespace {

using testing::ElementWindow;
using testing::OpenDialogs;

// The histogram's arguments as the table hands them over, instead of opening it.
struct HistogramCall {
    std::string valueType;
    std::vector<std::string> codes, courts;
    std::vector<double> feedstuffs;
};

class TABLE_ENREGISTREE : public DLG_COMPMAT {
public:
    using DLG_COMPMAT::DLG_COMPMAT;
    std::vector<HistogramCall> calls;

protected:
    void OUVRIRHISTOGRAMME(DLG& owner, const std::string& valueType, const std::vector<std::string>& codes,
                           const std::vector<std::string>& courts, const std::vector<double>& feedstuffs) override
    {
        EXPECT_EQ(&owner, this);
        calls.push_back({valueType, codes, courts, feedstuffs});
    }
};

struct HelpCall {
    std::string file;
    unsigned command;
    unsigned long data;
};

class RecordingHelp final : public HelpLauncher {
public:
    RecordingHelp() : previous_(SetHelpLauncher(this)) {}
    ~RecordingHelp() override { SetHelpLauncher(previous_); }
    bool WinHelp(HWND, const std::string& file, unsigned command, unsigned long data) override
    {
        calls.push_back({file, command, data});
        return true;
    }
    bool OpenPage(HWND, const std::string&) override { return true; }
    std::vector<HelpCall> calls;

private:
    HelpLauncher* previous_;
};

std::vector<int> SelectedLines(HWND lb)
{
    std::vector<int> lines;
    const int count = int(SendMessageA(lb, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (SendMessageA(lb, LB_GETSEL, WPARAM(i), 0) > 0)
            lines.push_back(i);
    return lines;
}

int LineOf(const std::vector<double>& keys, double key)
{
    return int(std::find(keys.begin(), keys.end(), key) - keys.begin());
}

int LineOf(const std::vector<std::string>& codes, const std::string& code)
{
    return int(std::find(codes.begin(), codes.end(), code) - codes.begin());
}

// Clicks a dialog element as the user would: the button's own click notification.
void Click(const DLG& dialog, Command command)
{
    HWND button = ElementWindow(dialog, std::string(command.Name()).c_str());
    ASSERT_NE(button, nullptr) << command.Name();
    SendMessageA(button, BM_CLICK, 0, 0);
}

// Chooses a value type in a dialog's drop-down list as the user does.
void ChooseType(const DLG& dialog, const std::string& code)
{
    HWND combo = ElementWindow(dialog, "TYPEVALEUR");
    ASSERT_NE(combo, nullptr);
    const auto& types = TYPESVALEUR();
    const int index = int(std::find(types.begin(), types.end(), code) - types.begin());
    SendMessageA(combo, CB_SETCURSEL, WPARAM(index), 0);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

std::string ShownType(const DLG& dialog)
{
    char text[128] = {};
    GetWindowTextA(ElementWindow(dialog, "TYPEVALEUR"), text, sizeof text);
    return text;
}

class ComparisonDialogTest : public test::ViewDialogTest {
protected:

    // The shipped tables (with their text sources, for the expected values) or the small
    // database, opened in a language.
    void UseDatabase(bool shipped, std::string_view language = kEnglish)
    {
        database_.reset(); // the earlier one gives the program directory back first
        database_ = std::make_unique<test::DatabaseDir>(shipped);
        ASSERT_TRUE(database_->Written());
        ASSERT_TRUE(database_->Open(language));
        if (shipped) {
            ASSERT_TRUE(tables::LoadSources(LYSORA_TABLES_DIR, sources_).empty());
        }
    }
    void WriteSettings(const std::string& text)
    {
        std::ofstream(database_->PathOf(std::string(kSettingsFile)), std::ios::binary) << text;
    }

    static DLG_COMPMATSELECT& OpenSelection()
    {
        auto* dialog = static_cast<DLG_COMPMATSELECT*>(WIN::Adopt(std::make_unique<DLG_COMPMATSELECT>()));
        dialog->SHOW();
        Pump();
        return *dialog;
    }
    template <class T = DLG_COMPMAT>
    static T& OpenTable(const std::string& type, std::vector<double> mat, std::vector<std::string> nutri)
    {
        std::vector<std::string> courts;
        for (const std::string& code : nutri)
            courts.push_back(code.substr(0, 3));
        auto* table = static_cast<T*>(WIN::Adopt(std::make_unique<T>(type, mat, nutri, courts)));
        table->SHOW();
        Pump();
        return *table;
    }

    // The value the sources give for a cell: nil when the type does not apply to the
    // nutrient, 0 when the pair has no record.
    Value Expected(double mat, const std::string& code, int type) const
    {
        const auto nutrient = std::find_if(sources_.nutrients.begin(), sources_.nutrients.end(),
                                           [&](const tables::Nutrient& n) { return n.code == code; });
        if (nutrient == sources_.nutrients.end() || !nutrient->carries[std::size_t(type)])
            return Value();
        for (const tables::ValueRecord& record : sources_.values)
            if (record.matiere == int(mat) && record.nutri == code)
                return Value(record.mean[std::size_t(type)].value_or(0));
        return Value(0);
    }
    std::string Name(double mat, tables::Language language) const
    {
        for (const tables::Feedstuff& f : sources_.feedstuffs)
            if (f.code == int(mat))
                return f.libelle[language];
        return {};
    }

    tables::SampleDatabase sources_;
};

TEST_F(ComparisonDialogTest, TheSelectionRestoresTheSavedChoiceAndOnlyWhatStillExists)
{
    UseDatabase(true);
    {
        // First use: raw contents, nothing chosen; every feedstuff listed by name.
        DLG_COMPMATSELECT& first = OpenSelection();
        EXPECT_EQ(ShownType(first), LIB(Symbol("TB")));
        EXPECT_TRUE(SelectedLines(first.LBMAT).empty());
        EXPECT_TRUE(SelectedLines(first.LBNUTRI).empty());
        EXPECT_EQ(SendMessageA(first.LBMAT, LB_GETCOUNT, 0, 0), LRESULT(sources_.feedstuffs.size()));
        EXPECT_EQ(SendMessageA(first.LBNUTRI, LB_GETCOUNT, 0, 0), LRESULT(sources_.nutrients.size()));
        EXPECT_EQ(first.ACLESNUTRI.front(), sources_.general.nutri) << "the permanent nutrient heads the list";
        char text[256] = {};
        const int wheat = LineOf(first.ACLESMAT, 1);
        SendMessageA(first.LBMAT, LB_GETTEXT, WPARAM(wheat), reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::string(text), Name(1, tables::kEng));
        first.CLOSE();
    }
    // Deleted feedstuff 999, a nutrient that is gone, text where a key should be.
    WriteSettings("[Params]\r\nVal=DIG_A\r\nListeMat=12,7,999,abc,,7\r\nListeNutri=LYS,GONE,CP\r\n");
    DLG_COMPMATSELECT& dialog = OpenSelection();
    EXPECT_EQ(ShownType(dialog), LIB(Symbol("DIG_A")));
    std::vector<int> expected{LineOf(dialog.ACLESMAT, 12), LineOf(dialog.ACLESMAT, 7)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SelectedLines(dialog.LBMAT), expected);
    expected = {LineOf(dialog.ACLESNUTRI, "LYS"), LineOf(dialog.ACLESNUTRI, "CP")};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SelectedLines(dialog.LBNUTRI), expected);

    // An unknown value type shows raw contents.
    dialog.CLOSE();
    WriteSettings("[Params]\r\nVal=NONSENSE\r\n");
    EXPECT_EQ(ShownType(OpenSelection()), LIB(Symbol("TB")));
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts();
}

TEST_F(ComparisonDialogTest, AllNoneAndTheGroupButtonsSetTheLists)
{
    UseDatabase(true);
    DLG_COMPMATSELECT& dialog = OpenSelection();
    Click(dialog, cmd::SELECTALLMAT);
    EXPECT_EQ(SelectedLines(dialog.LBMAT).size(), sources_.feedstuffs.size());
    Click(dialog, cmd::CLEARMAT);
    EXPECT_TRUE(SelectedLines(dialog.LBMAT).empty());
    Click(dialog, cmd::SELECTALLNUTRI);
    EXPECT_EQ(SelectedLines(dialog.LBNUTRI).size(), sources_.nutrients.size());

    // Each group button replaces the nutrient choice by exactly its group.
    const DonneesGenerales& general = DONNEESGENERALES();
    for (auto [command, group] : {std::pair{cmd::AAE, &general.aae}, std::pair{cmd::AANE, &general.aane},
                                  std::pair{cmd::AP, &general.ap}}) {
        Click(dialog, command);
        std::set<std::string> chosen;
        for (int line : SelectedLines(dialog.LBNUTRI))
            chosen.insert(dialog.ACLESNUTRI[std::size_t(line)]);
        EXPECT_EQ(chosen, std::set<std::string>(group->codes.begin(), group->codes.end())) << command.Name();
    }
    Click(dialog, cmd::CLEARNUTRI);
    EXPECT_TRUE(SelectedLines(dialog.LBNUTRI).empty());
}

TEST_F(ComparisonDialogTest, EnterWithNothingChosenWarnsAndTheDialogStays)
{
    UseDatabase(true);
    DLG_COMPMATSELECT& dialog = OpenSelection();
    SetFocus(dialog.LBMAT);
    SendMessageA(dialog.LBMAT, WM_CHAR, VK_RETURN, 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, LIB(Symbol("ERREURCHOIXMAT")));
    EXPECT_EQ(boxes.shown[0].caption, "Warning");

    DLG_COMPMATSELECT::SETSEL(dialog.LBMAT, 0, true);
    SendMessageA(dialog.LBMAT, WM_CHAR, VK_RETURN, 0);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "You must choose at least one nutrient");
    EXPECT_TRUE(dialog.Exists());
    EXPECT_TRUE(OpenDialogs<DLG_COMPMAT>().empty());
    EXPECT_EQ(GETPARAM(kParams, kKeyListeMat), "") << "nothing is saved";
}

TEST_F(ComparisonDialogTest, CreatingSavesTheChoiceAndModifyingTheSelectionComesBackToIt)
{
    UseDatabase(true);
    DLG_COMPMATSELECT& dialog = OpenSelection();
    ChooseType(dialog, "TB16G");
    for (double key : {20.0, 3.0, 1.0})
        DLG_COMPMATSELECT::SETSEL(dialog.LBMAT, LineOf(dialog.ACLESMAT, key), true);
    for (const char* code : {"MET", "LYS"})
        DLG_COMPMATSELECT::SETSEL(dialog.LBNUTRI, LineOf(dialog.ACLESNUTRI, code), true);
    // The keys in list order, as the table gets them.
    std::vector<double> listed;
    for (int line : SelectedLines(dialog.LBMAT))
        listed.push_back(dialog.ACLESMAT[std::size_t(line)]);
    Click(dialog, cmd::CREERTABLEAU);
    PumpFor(30);

    EXPECT_TRUE(OpenDialogs<DLG_COMPMATSELECT>().empty()) << "the selection closes";
    ASSERT_EQ(OpenDialogs<DLG_COMPMAT>().size(), 1u);
    DLG_COMPMAT& table = *OpenDialogs<DLG_COMPMAT>().front();
    EXPECT_EQ(table.AMAT, listed);
    EXPECT_EQ(table.ANUTRI, (std::vector<std::string>{"LYS", "MET"})); // nutrient list order
    EXPECT_EQ(table.ValueType(), "TB16G");
    EXPECT_EQ(GETPARAM(kParams, kKeyVal), "TB16G");
    EXPECT_EQ(GETPARAM(kParams, kKeyListeNutri), "LYS,MET");

    Click(table, cmd::MODIFSEL);
    PumpFor(30);
    EXPECT_TRUE(OpenDialogs<DLG_COMPMAT>().empty()) << "the table closes";
    ASSERT_EQ(OpenDialogs<DLG_COMPMATSELECT>().size(), 1u);
    DLG_COMPMATSELECT& again = *OpenDialogs<DLG_COMPMATSELECT>().front();
    EXPECT_EQ(ShownType(again), LIB(Symbol("TB16G")));
    std::vector<double> restored;
    for (int line : SelectedLines(again.LBMAT))
        restored.push_back(again.ACLESMAT[std::size_t(line)]);
    EXPECT_EQ(restored, listed);
    EXPECT_EQ(SelectedLines(again.LBNUTRI).size(), 2u);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts();
}

TEST_F(ComparisonDialogTest, EveryCellIsTheStoredValueOfTheChosenTypeInBothLanguages)
{
    for (auto [language, index] : {std::pair{kEnglish, tables::kEng}, std::pair{kFrench, tables::kFra}}) {
        UseDatabase(true, language);
        // Feedstuffs with and without proximate analysis, a free amino acid (which holds one
        // nutrient only), and nutrients of every group with the permanent one.
        const std::vector<double> mat{1, 30, 22, 45, 4, 50};
        std::vector<std::string> nutri{"CP", "LYS", "MET", "TRP", "GLY", "DM", "ADF", "EE"};
        DLG_COMPMAT& table = OpenTable("TB", mat, nutri);
        for (int type = 0; type < tables::kValueTypes; ++type) {
            ChooseType(table, tables::kValueTypeNames[type]); // rebuilt at once
            EXPECT_EQ(table.ValueType(), tables::kValueTypeNames[type]);
            const ValueArray& rows = table.GRILLE().LIGNES().Array();
            ASSERT_EQ(rows.size(), mat.size());
            std::set<std::string> seen;
            for (const Value& row : rows) {
                const ValueArray& cells = row.Array();
                ASSERT_EQ(cells.size(), nutri.size() + 1);
                const auto key = std::find_if(mat.begin(), mat.end(),
                                              [&](double m) { return Name(m, index) == cells[0].Text(); });
                ASSERT_NE(key, mat.end()) << cells[0].Text();
                seen.insert(cells[0].Text());
                for (std::size_t k = 0; k < nutri.size(); ++k)
                    EXPECT_EQ(cells[k + 1], Expected(*key, nutri[k], type))
                        << cells[0].Text() << " " << nutri[k] << " " << tables::kValueTypeNames[type];
            }
            EXPECT_EQ(seen.size(), mat.size());
            for (std::size_t r = 1; r < rows.size(); ++r) // row titles ascending
                EXPECT_FALSE(GoesBeforeAscending(rows[r].Array()[0], rows[r - 1].Array()[0]));
        }
        table.CLOSE();
        Pump();
    }
}

TEST_F(ComparisonDialogTest, TheSortChosenOnAHeaderIsKeptWhenTheTypeChanges)
{
    UseDatabase(true);
    DLG_COMPMAT& table = OpenTable("TB", {1, 3, 4, 7, 12, 20, 30}, {"CP", "LYS", "DM"});
    FLD_GRILLE& grid = table.GRILLE();
    // A real click on the header of the second value column (LYS), twice: descending.
    const GridGeometry& g = grid.Model().Geometry();
    for (int i = 0; i < 2; ++i) {
        PostMessageA(grid.HANDLE(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(g.X(1) + 5, 5));
        PostMessageA(grid.HANDLE(), WM_LBUTTONUP, 0, MAKELPARAM(g.X(1) + 5, 5));
        Pump();
    }
    ASSERT_EQ(grid.Model().SortElement(), 3);
    ASSERT_EQ(grid.Model().SortDirection(), -1);
    for (const char* type : {"DIG_V", "TB"}) {
        ChooseType(table, type);
        const ValueArray& rows = grid.LIGNES().Array();
        ASSERT_EQ(rows.size(), 7u);
        for (std::size_t r = 1; r < rows.size(); ++r) // element 3 is the row's third entry
            EXPECT_FALSE(GoesBeforeDescending(rows[r].Array()[2], rows[r - 1].Array()[2])) << type;
        EXPECT_EQ(grid.Model().SortElement(), 3);
    }
    // Leaving the type empty (Delete in the list) gives raw contents back.
    ChooseType(table, "DIG_A");
    HWND combo = ElementWindow(table, "TYPEVALEUR");
    SendMessageA(combo, CB_SETCURSEL, WPARAM(-1), 0);
    SendMessageA(table.HANDLE(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(table.ValueType(), "TB");
    EXPECT_EQ(ShownType(table), LIB(Symbol("TB")));

    // Enter in the list leaves the table as it is.
    SendMessageA(combo, WM_CHAR, VK_RETURN, 0);
    Pump();
    EXPECT_TRUE(table.Exists());
    EXPECT_EQ(grid.Model().SortElement(), 3);
}

TEST_F(ComparisonDialogTest, TheSemicolonExportFollowsTheScreenByteForByte)
{
    UseDatabase(false);
    SetDecimalSeparator(',');
    DLG_COMPMAT& table = OpenTable("TB", {12, 7, 3}, {"CP", "LYS", "DM"});
    const std::string file = database_->PathOf("export.csv");
    ASSERT_TRUE(table.EXPORTEXCEL(file));
    EXPECT_EQ(test::ReadFile(file), ";CP;LYS;DM\r\n"
                                    "Barley;105;3,78;870\r\n"
                                    "Blé tendre;115;3,22;-\r\n"
                                    "Maize;-;2,40;-\r\n");
    // Sorted on LYS (ascending), then the apparent digestibilities: DM does not carry them.
    table.GRILLE().CLICENTETE(3);
    ChooseType(table, "DIG_A");
    ASSERT_TRUE(table.EXPORTEXCEL(file));
    EXPECT_EQ(test::ReadFile(file), ";CP;LYS;DM\r\n"
                                    "Maize;-;2,50;\r\n"
                                    "Barley;75,50;70;\r\n"
                                    "Blé tendre;78;70,19;\r\n");

    // A file that cannot be created: the message names it, nothing is left.
    const std::string bad = database_->PathOf("missing folder\\export.csv");
    EXPECT_FALSE(table.EXPORTEXCEL(bad));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Failed to create file " + bad);
    EXPECT_EQ(boxes.shown[0].caption, "Error");
    EXPECT_FALSE(std::filesystem::exists(bad));

    // The RTF export of the same rows.
    const std::string rtf = database_->PathOf("export.rtf");
    ASSERT_TRUE(table.EXPORTRTF(rtf));
    const std::string written = test::ReadFile(rtf);
    EXPECT_EQ(written.substr(0, 5), "{\\rtf");
    EXPECT_NE(written.find("Comparison of apparent digestibilities"), std::string::npos);
    EXPECT_LT(written.find("Maize"), written.find("Barley"));
}

TEST_F(ComparisonDialogTest, AboveThirtyFeedstuffsTheHistogramAsksFirst)
{
    UseDatabase(true);
    std::vector<double> mat;
    for (const tables::Feedstuff& f : sources_.feedstuffs)
        if (mat.size() < 31)
            mat.push_back(f.code);
    const std::vector<std::string> nutri{"DM", "LYS", "CP", "MET"};
    TABLE_ENREGISTREE& table = OpenTable<TABLE_ENREGISTREE>("DIG_A", mat, nutri);

    boxes.answer = kIdNo;
    Click(table, cmd::GRAPHE);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, LIB(Symbol("AVERTISSEMENTHISTO")));
    EXPECT_EQ(boxes.shown[0].caption, "Warning");
    EXPECT_EQ(boxes.shown[0].style & (MB_YESNO | MB_ICONQUESTION), unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_TRUE(table.calls.empty()) << "No ends here";

    boxes.answer = kIdYes;
    Click(table, cmd::GRAPHE);
    ASSERT_EQ(boxes.shown.size(), 2u);
    ASSERT_EQ(table.calls.size(), 1u);
    EXPECT_EQ(table.calls[0].valueType, "DIG_A");
    EXPECT_EQ(table.calls[0].codes, (std::vector<std::string>{"LYS", "CP", "MET"})); // DM has none
    EXPECT_EQ(table.calls[0].courts, (std::vector<std::string>{"LYS", "CP", "MET"}));
    EXPECT_EQ(table.calls[0].feedstuffs, mat);
    table.CLOSE();

    // Thirty feedstuffs: no question. No nutrient carrying the type: nothing at all.
    mat.pop_back();
    TABLE_ENREGISTREE& thirty = OpenTable<TABLE_ENREGISTREE>("TB16G", mat, {"CP", "DM", "LYS"});
    Click(thirty, cmd::GRAPHE);
    EXPECT_EQ(boxes.shown.size(), 2u);
    ASSERT_EQ(thirty.calls.size(), 1u);
    EXPECT_EQ(thirty.calls[0].codes, (std::vector<std::string>{"LYS"}));
    TABLE_ENREGISTREE& none = OpenTable<TABLE_ENREGISTREE>("TB16G", {1}, {"CP", "DM"});
    Click(none, cmd::GRAPHE);
    EXPECT_TRUE(none.calls.empty());
    EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST_F(ComparisonDialogTest, TheHistogramButtonOpensTheNutrientChoiceOverTheTable)
{
    UseDatabase(true);
    DLG_COMPMAT& table = OpenTable("DIG_A", {1, 3, 12}, {"DM", "LYS", "CP"});
    Click(table, cmd::GRAPHE);
    Pump();
    const std::vector<DLG_NUTRISELECT*> choices = OpenDialogs<DLG_NUTRISELECT>();
    ASSERT_EQ(choices.size(), 1u);
    DLG_NUTRISELECT& choice = *choices[0];
    EXPECT_EQ(choice.PARENT(), &table);
    EXPECT_FALSE(IsWindowEnabled(table.HANDLE())) << "the table waits for the choice";
    // Only the nutrients that carry the type are offered: dry matter has no digestibility.
    HWND list = ElementWindow(choice, "NUTRI");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(choice.Request().feedstuffs, (std::vector<std::string>{"1", "3", "12"}));

    // Cancelling gives the table back, with nothing drawn.
    Click(choice, cmd::CLOSE);
    Pump();
    EXPECT_TRUE(OpenDialogs<DLG_NUTRISELECT>().empty());
    EXPECT_TRUE(IsWindowEnabled(table.HANDLE()));
    table.CLOSE();
}

TEST_F(ComparisonDialogTest, HelpShowsTheTopicOfEachDialog)
{
    UseDatabase(false);
    RecordingHelp help;
    DLG_COMPMATSELECT& selection = OpenSelection();
    Click(selection, cmd::ONHELP);
    DLG_COMPMAT& table = OpenTable("TB", {7}, {"CP"});
    Click(table, cmd::ONHELP);
    ASSERT_EQ(help.calls.size(), 2u);
    EXPECT_EQ(help.calls[0].file, FICHIERAIDE());
    EXPECT_EQ(help.calls[0].data, 30u);
    EXPECT_EQ(help.calls[1].data, 40u);
    EXPECT_EQ(help.calls[1].command, 1u); // context
}

// Each way of closing: the close box, Escape (in a list for the selection), Alt+F4 and the
// back button; each dialog goes with its windows, saves nothing and leaves no box.
TEST_F(ComparisonDialogTest, EveryClosePathClosesBothDialogs)
{
    UseDatabase(false);
    enum Way { kCloseBox, kEscape, kAltF4, kBack };
    for (Way way : {kCloseBox, kEscape, kAltF4, kBack}) {
        DLG_COMPMATSELECT& selection = OpenSelection();
        DLG_COMPMATSELECT::SETSEL(selection.LBMAT, 0, true);
        HWND selectionWindow = selection.HANDLE(), list = selection.LBMAT;
        DLG_COMPMAT& table = OpenTable("TB", {7, 12}, {"CP", "LYS"});
        HWND tableWindow = table.HANDLE();
        HWND grid = table.GRILLE().HANDLE();
        switch (way) {
        case kCloseBox:
            PostMessageA(selectionWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
            PostMessageA(tableWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case kEscape:
            SetFocus(list);
            PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageA(ElementWindow(table, "TYPEVALEUR"), WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case kAltF4:
            PostMessageA(list, WM_SYSKEYDOWN, VK_F4, LPARAM(KF_ALTDOWN) << 16);
            // On a button: the drop-down list keeps Alt+F4 to itself under Wine.
            PostMessageA(ElementWindow(table, "EXPORTER"), WM_SYSKEYDOWN, VK_F4, LPARAM(KF_ALTDOWN) << 16);
            break;
        case kBack:
            Click(selection, cmd::CLOSE);
            Click(table, cmd::CLOSE);
            break;
        }
        PumpFor(60);
        EXPECT_FALSE(IsWindow(selectionWindow)) << way;
        EXPECT_FALSE(IsWindow(list)) << way;
        EXPECT_FALSE(IsWindow(tableWindow)) << way;
        EXPECT_FALSE(IsWindow(grid)) << way;
        EXPECT_TRUE(OpenDialogs<DLG>().empty()) << way;
    }
    EXPECT_FALSE(std::filesystem::exists(database_->PathOf(std::string(kSettingsFile)))) << "closing saves nothing";
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts();
}

// The selection and the table of ten shipped feedstuffs in both languages, sorted on lysine
// descending, as the README and the help pages show them (saved with LYSORA_SCREENSHOTS).
TEST_F(ComparisonDialogTest, PicturesOfTheSelectionAndTheTableInBothLanguages)
{
    FLD_GRILLE::SetHeaderBrush(BROSSEENTETE()); // the grids' header cells, as the program's start sets them
    for (std::string_view language : {kFrench, kEnglish}) {
        UseDatabase(true, language);
        SetDecimalSeparator(language == kFrench ? ',' : '.'); // as a system of that language has it
        WriteSettings("[Params]\r\nVal=TB\r\nListeMat=1,3,4,7,12,14,20,22,30,45\r\n"
                      "ListeNutri=CP,LYS,MET,CYS,THR,TRP,ILE,LEU,VAL,HIS,PHE,ARG,DM,ASH,EE,CF\r\n");
        const std::string lang = language == kFrench ? "fr" : "en";
        DLG_COMPMATSELECT& selection = OpenSelection();
        ASSERT_EQ(SelectedLines(selection.LBMAT).size(), 10u);
        testing::SaveScreenshot(selection.HANDLE(), "comparison_select_" + lang);
        Click(selection, cmd::CREERTABLEAU);
        PumpFor(30);
        ASSERT_EQ(OpenDialogs<DLG_COMPMAT>().size(), 1u);
        DLG_COMPMAT& table = *OpenDialogs<DLG_COMPMAT>().front();
        FLD_GRILLE& grid = table.GRILLE();
        const GridGeometry& g = grid.Model().Geometry();
        for (int i = 0; i < 2; ++i) { // two clicks on the lysine header: descending
            PostMessageA(grid.HANDLE(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(g.X(1) + 5, 5));
            PostMessageA(grid.HANDLE(), WM_LBUTTONUP, 0, MAKELPARAM(g.X(1) + 5, 5));
            Pump();
        }
        ASSERT_EQ(grid.Model().SortDirection(), -1);
        const ValueArray& rows = grid.LIGNES().Array();
        ASSERT_EQ(rows.size(), 10u);
        EXPECT_EQ(rows.front().Array()[0].Text(), Name(45, language == kFrench ? tables::kFra : tables::kEng));
        testing::SaveScreenshot(table.HANDLE(), "comparison_table_" + lang);
        table.CLOSE();
        PumpFor(30);
    }
    FLD_GRILLE::SetHeaderBrush(nullptr);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts();
}

} // namespace
} // namespace lysora
