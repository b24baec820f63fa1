// Dialogs: the layout pen, command dispatch, dialog classes opened by a command, the Enter
// key, tab pages, validation in order with the error box, data transfer, message boxes,
// timers and close handling. Real windows, real messages, in-process.
#include "gui_fixture.h"

#include "data/domain_text.h"

namespace lysora::testing {
namespace {

// Client coordinates of a child window in its parent.
POINT PositionIn(HWND parent, HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    POINT p{r.left, r.top};
    ScreenToClient(parent, &p);
    return p;
}

// A dialog sized so that its client area is w x h.
void SizeClient(DLG& dialog, int w, int h)
{
    RECT r{0, 0, w, h};
    AdjustWindowRectEx(&r, dialog.Record()->style, FALSE, dialog.Record()->ex_style);
    dialog.MOVE(50, 50, r.right - r.left, r.bottom - r.top);
}

class DialogTest : public GuiTest {};

TEST_F(DialogTest, PenMovesByLinesAndLabelsPushFieldsToTheFieldColumn)
{
    DLG dialog;
    dialog.X(200).Y(40).LN().LN();
    EXPECT_EQ(dialog.PenX(), 15);
    EXPECT_EQ(dialog.PenY(), 90);
    dialog.LN(10);
    EXPECT_EQ(dialog.PenY(), 100);

    // A short label: the field starts at the field column, 115.
    dialog.XY(15, 20).LBL(Symbol(), "Nom :").FLD(Symbol("NOM"), std::make_shared<DOM_CAR>(10));
    EXPECT_EQ(dialog.FLD(Symbol("NOM"))->Record()->req_x, 115);
    EXPECT_EQ(dialog.FLD(Symbol("NOM"))->Record()->req_y, 20);
    EXPECT_EQ(dialog.PenY(), 20) << "a field does not move the pen";

    // A label wider than the column: the field follows it.
    dialog.LN().LBL(Symbol("LIB"), "Un libellé nettement plus long que la marge :");
    int labelWidth = dialog.FLD(Symbol("LIB"))->Record()->req_w - 1;
    ASSERT_GT(15 + labelWidth, 115);
    EXPECT_EQ(dialog.FLD(Symbol("LIB"))->Record()->req_y, 45 + 3);
    dialog.FLD(Symbol("PRENOM"), std::make_shared<DOM_CAR>(10));
    EXPECT_EQ(dialog.FLD(Symbol("PRENOM"))->Record()->req_x, 15 + labelWidth);

    // A raised field column wins over a short label.
    dialog.LN().XFLDMIN(160).LBL(Symbol(), "Ville :").FLD(Symbol("VILLE"), std::make_shared<DOM_CAR>(10));
    EXPECT_EQ(dialog.FLD(Symbol("VILLE"))->Record()->req_x, 160);

    // An empty label or a lone colon only moves the pen to the column.
    dialog.LN().LBL(Symbol(), " : ");
    EXPECT_EQ(dialog.PenX(), 115);
    EXPECT_EQ(dialog.Elements().size(), 6u);
}

TEST_F(DialogTest, OkAndCancelSitAtTheTopRightOfA400PixelDialog)
{
    DLG dialog(nullptr, GKT_DIALOG, "Boutons");
    SizeClient(dialog, 400, 200);
    dialog.CMDOKCANCEL();
    dialog.SHOW();
    RECT client;
    GetClientRect(dialog.HANDLE(), &client);
    ASSERT_EQ(client.right, 400);
    POINT ok = PositionIn(dialog.HANDLE(), ElementWindow(dialog, "OK"));
    POINT cancel = PositionIn(dialog.HANDLE(), ElementWindow(dialog, "CLOSE"));
    EXPECT_EQ(ok.x, 310);
    EXPECT_EQ(ok.y, 15);
    EXPECT_EQ(cancel.x, 310);
    EXPECT_EQ(cancel.y, 45);
    EXPECT_EQ(dialog.CMD(cmd::CLOSE)->GETTEXT(), "&Annuler");
}

// A dialog that records what its commands reach.
#define DLG_RECORDING_COMMANDS(OWN, SHARED) OWN(FICHEMAT)
class DLG_RECORDING : public DLG {
public:
    DLG_RECORDING() : DLG(nullptr, GKT_DIALOG, "Commandes") { CENTER(400, 250); }
    LYSORA_METHODS(DLG_RECORDING, DLG, DLG_RECORDING_COMMANDS)
    void FICHEMAT() { calls.push_back("FICHEMAT"); }
    void ONCMD(Symbol sym) override { calls.push_back("ONCMD " + sym.Name()); }
    void ONFLD(Symbol sym) override { changed.push_back(sym.Name()); }
    std::vector<std::string> calls;
    std::vector<std::string> changed;
};

// Opened by a command of its name.
class DLG_OUVERT : public DLG {
public:
    DLG_OUVERT() : DLG(nullptr, GKT_DIALOG, "Ouvert") { last = this; }
    ~DLG_OUVERT() override { last = nullptr; }
    static DLG_OUVERT* last;
};
DLG_OUVERT* DLG_OUVERT::last = nullptr;

void Click(HWND button) { SendMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), LPARAM(button)); }

TEST_F(DialogTest, AButtonCallsTheMethodOfItsNameOrOnCmd)
{
    DLG_RECORDING dialog;
    dialog.CMD(Command("FICHEMAT"), "&Fiches").CMD(Command("AUTRE"), "Autre");
    dialog.SHOW();
    SendMessageA(ElementWindow(dialog, "FICHEMAT"), BM_CLICK, 0, 0);
    Pump();
    Click(ElementWindow(dialog, "AUTRE"));
    // Alt+F reaches the button whose caption carries "&F".
    SendMessageA(dialog.HANDLE(), WM_SYSCHAR, 'f', 0);
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"FICHEMAT", "ONCMD AUTRE", "FICHEMAT"}));
}

TEST_F(DialogTest, EveryDialogShowsTheProgramIconOnceItIsSet)
{
    HICON system = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    HICON program = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_INFORMATION));
    DLG before;
    before.SHOW();
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(before.HANDLE(), WM_GETICON, ICON_BIG, 0)), system);
    WIN::SetProgramIcon(program);
    DLG after;
    after.SHOW();
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(after.HANDLE(), WM_GETICON, ICON_BIG, 0)), program);
    WIN::SetProgramIcon(nullptr);
}

TEST_F(DialogTest, ACommandNamingADialogClassOpensItWithItsOrigin)
{
    RegisterDialogClass<DLG_OUVERT>("DLG_OUVERT");
    DLG_RECORDING dialog;
    dialog.CMD(Command("DLG_OUVERT"), "Ouvrir");
    dialog.SHOW();
    Click(ElementWindow(dialog, "DLG_OUVERT"));
    ASSERT_NE(DLG_OUVERT::last, nullptr);
    EXPECT_EQ(DLG_OUVERT::last->ORIG(), &dialog);
    EXPECT_TRUE(IsWindowVisible(DLG_OUVERT::last->HANDLE()));
    EXPECT_TRUE(dialog.calls.empty()) << "no ONCMD for a command that opened a dialog";

    // Closed, the framework releases the dialog it opened.
    DLG_OUVERT::last->CLOSE();
    Pump();
    WIN::ReleaseClosedWindows();
    EXPECT_EQ(DLG_OUVERT::last, nullptr);
}

// A record whose commit can be watched.
class CommittingRecord : public RecordBuffer {
public:
    bool HasCommit() const override { return true; }
    bool COMMIT() override
    {
        ++commits;
        return true;
    }
    int commits = 0;
};

TEST_F(DialogTest, EnterInAFieldActsAsOkValidatingStoringAndClosing)
{
    CommittingRecord record;
    record.Declare(Symbol("NOM"), std::make_shared<DOM_CAR>(20, true), "Nom", "Orge")
        .Declare(Symbol("QTE"), std::make_shared<DOM_NUM>(6, 1), "Quantité", 12.5);
    DLG dialog(nullptr, GKT_DIALOG, "Saisie");
    dialog.CENTER(400, 200);
    dialog.DATA(&record).DATALBLFLDLN({Symbol("NOM"), Symbol("QTE")}).CMDOKCANCEL();
    dialog.LOAD();
    dialog.SHOW();
    HWND name = ElementWindow(dialog, "NOM");
    EXPECT_EQ(dialog.FLD(Symbol("NOM"))->GETTEXT(), "Orge");
    EXPECT_EQ(dialog.FLD(Symbol("QTE"))->GETTEXT(), "12.5");

    // Empty mandatory name: Enter shows the error and the dialog stays.
    SetWindowTextA(name, "");
    SendMessageA(name, WM_CHAR, VK_RETURN, 0);
    Pump();
    ASSERT_EQ(Texts(), std::vector<std::string>{"Saisie obligatoire"});
    EXPECT_EQ(boxes.shown[0].caption, "Erreur");
    EXPECT_EQ(boxes.shown[0].style, kMbOk | kMbIconStop);
    EXPECT_TRUE(dialog.Exists());
    EXPECT_EQ(GetFocus(), name);
    EXPECT_EQ(record.commits, 0);

    SetWindowTextA(name, "Blé tendre");
    SetWindowTextA(ElementWindow(dialog, "QTE"), "7.25");
    SendMessageA(name, WM_CHAR, VK_RETURN, 0);
    Pump();
    EXPECT_FALSE(dialog.Exists());
    EXPECT_EQ(record.Get(Symbol("NOM")), Value("Blé tendre"));
    EXPECT_EQ(record.Get(Symbol("QTE")), Value(7.25));
    EXPECT_EQ(record.commits, 1);
}

TEST_F(DialogTest, ClickingPastAnInvalidFieldShowsItsErrorWithoutMovingTheFocus)
{
    DLG_RECORDING dialog;
    dialog.XY(15, 15).LBL(Symbol(), "Taux :").FLD(Symbol("TAUX"), std::make_shared<DOM_NUM>(5, 2)).LN();
    dialog.LBL(Symbol(), "Date :").FLD(Symbol("JOUR"), std::make_shared<DOM_DAT>()).LN();
    dialog.LBL(Symbol(), "Nom :").FLD(Symbol("NOM"), std::make_shared<DOM_CAR>(10));
    dialog.SHOW();
    SetWindowTextA(ElementWindow(dialog, "TAUX"), "123.45");
    HWND name = ElementWindow(dialog, "NOM");
    SendMessageA(name, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); // a click into the name
    SendMessageA(name, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump();
    ASSERT_EQ(Texts(), std::vector<std::string>{"Valeur trop grande"});
    EXPECT_EQ(dialog.IERROR(), 2) << "the field is the second element";
    EXPECT_EQ(GetFocus(), name);

    // Corrected, the next check starts at the field that failed and goes on in order; the
    // date typed as digits is rewritten, which the dialog hears as a change.
    SetWindowTextA(ElementWindow(dialog, "TAUX"), "-1.5");
    SetWindowTextA(ElementWindow(dialog, "JOUR"), "010203");
    SetFocus(ElementWindow(dialog, "TAUX"));
    SetFocus(ElementWindow(dialog, "NOM"));
    Pump();
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(dialog.IERROR(), 0);
    EXPECT_EQ(dialog.FLD(Symbol("JOUR"))->GETTEXT(), "01/02/03");
    EXPECT_EQ(dialog.FLDGET(Symbol("JOUR")), Value(Date::FromYmd(1903, 2, 1)));
    EXPECT_EQ(dialog.FLDGET(Symbol("TAUX")), Value(-1.5));
    // SHOW announces every field (no symbol), then each normalised value is announced.
    EXPECT_EQ(dialog.changed, (std::vector<std::string>{"", "TAUX", "JOUR"}));
}

TEST_F(DialogTest, OkReportsTheFirstFailingFieldAndGivesItTheFocus)
{
    DLG dialog(nullptr, GKT_DIALOG, "Ordre");
    dialog.CENTER(400, 200);
    dialog.FLD(Symbol("A"), std::make_shared<DOM_CAR>(5)).LN();
    dialog.FLD(Symbol("B"), std::make_shared<DOM_NUM>(3, 0, true)).LN();
    dialog.FLD(Symbol("C"), std::make_shared<DOM_DAT>(true));
    dialog.CMDOKCANCEL();
    dialog.SHOW();
    SetWindowTextA(ElementWindow(dialog, "C"), "311302");
    EXPECT_FALSE(dialog.OK());
    EXPECT_EQ(Texts(), std::vector<std::string>{"Saisie obligatoire"});
    EXPECT_EQ(GetFocus(), ElementWindow(dialog, "B"));
    SetWindowTextA(ElementWindow(dialog, "B"), "-99");
    EXPECT_FALSE(dialog.OK());
    EXPECT_EQ(Texts().back(), "Date incorrecte");
    EXPECT_EQ(GetFocus(), ElementWindow(dialog, "C"));
    SetWindowTextA(ElementWindow(dialog, "C"), "29/02/2024");
    EXPECT_TRUE(dialog.OK());
    Pump();
    EXPECT_FALSE(dialog.Exists()) << "no data object: OK closes";
}

// Two pages; the first holds a mandatory number.
#define DLG_PAGES_COMMANDS(OWN, SHARED) OWN(Init_PAGE1) OWN(Init_PAGE2)
class DLG_PAGES : public DLG {
public:
    DLG_PAGES() : DLG(nullptr, GKT_DIALOG, "Pages")
    {
        CENTER(500, 320);
        LBL(Symbol(), "Titre :").FLD(Symbol("TITRE"), std::make_shared<DOM_CAR>(10));
        INITONGLET({Symbol("PAGE1"), Symbol("PAGE2")}, {"Un", "Deux"}, 10, 40, 400, 200);
        CMDOKCANCEL();
    }
    LYSORA_METHODS(DLG_PAGES, DLG, DLG_PAGES_COMMANDS)
    void Init_PAGE1() { LBL(Symbol(), "Poids :").FLD(Symbol("POIDS"), std::make_shared<DOM_NUM>(4, 0, true)); }
    void Init_PAGE2() { FLD(Symbol("NOTE"), std::make_shared<DOM_CAR>(20)).CMD(Command("PLUS"), "Plus", 60); }
    void ONTAB(Symbol sym) override { tabs.push_back(sym.Name()); }
    std::vector<std::string> tabs;
};

TEST_F(DialogTest, PagesPlaceTheirControlsOnTheTabAndPageDownMovesOnlyWhenThePageValidates)
{
    DLG_PAGES dialog;
    // Page controls are shifted onto the page, below the tab strip; a button with a pen
    // measured from the right is measured from the page's right edge.
    EXPECT_EQ(dialog.FLD(Symbol("POIDS"))->Record()->req_x, 115 + 10);
    EXPECT_EQ(dialog.FLD(Symbol("POIDS"))->Record()->req_y, 10 + 40 + 25);
    EXPECT_EQ(dialog.FLD(Symbol("NOTE"))->Record()->req_x, 115 + 10);
    EXPECT_EQ(dialog.FLD(Symbol("OK"))->Record()->req_x, -90) << "outside the pages: the dialog's edge";
    dialog.SHOW();
    HWND weight = ElementWindow(dialog, "POIDS");
    HWND note = ElementWindow(dialog, "NOTE");
    EXPECT_EQ(dialog.CURRENTTAB(), Symbol("PAGE1"));
    EXPECT_TRUE(IsWindowVisible(weight));
    EXPECT_FALSE(IsWindowVisible(note));
    EXPECT_TRUE(IsWindowVisible(ElementWindow(dialog, "TITRE")));
    EXPECT_TRUE(IsWindowVisible(ElementWindow(dialog, "OK")));
    // Labels on a page take the page's colour; those outside keep the dialog's.
    const Win* pageLabel = dialog.Elements()[2].object->Record();
    ASSERT_EQ(pageLabel->type, GKT_LABEL);
    EXPECT_NE(pageLabel->bk_brush, nullptr);
    EXPECT_EQ(pageLabel->bk_color, dialog.Onglet()->PageColour());
    EXPECT_EQ(dialog.Elements()[0].object->Record()->bk_brush, nullptr);

    // Page Down from the empty mandatory field: the page does not validate.
    SetFocus(weight);
    SendMessageA(weight, WM_KEYDOWN, VK_NEXT, 0);
    Pump();
    EXPECT_EQ(Texts(), std::vector<std::string>{"Saisie obligatoire"});
    EXPECT_EQ(dialog.CURRENTTAB(), Symbol("PAGE1"));
    EXPECT_EQ(dialog.Onglet()->SELECTEDTAB(), Symbol("PAGE1"));

    SetWindowTextA(weight, "80");
    SendMessageA(weight, WM_KEYDOWN, VK_NEXT, 0);
    Pump();
    EXPECT_EQ(dialog.CURRENTTAB(), Symbol("PAGE2"));
    EXPECT_EQ(dialog.Onglet()->SELECTEDTAB(), Symbol("PAGE2"));
    EXPECT_FALSE(IsWindowVisible(weight));
    EXPECT_TRUE(IsWindowVisible(note));
    EXPECT_EQ(GetFocus(), note) << "the first control of the page gets the focus";
    EXPECT_EQ(dialog.tabs, (std::vector<std::string>{"PAGE1", "PAGE2"}));

    // The last page: Page Down stays; Page Up goes back. A disabled field stays disabled
    // through the page changes.
    dialog.FLDDISABLEBLANK({Symbol("NOTE")}, true);
    SendMessageA(dialog.CMD(Symbol("PLUS"))->HANDLE(), WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ(dialog.CURRENTTAB(), Symbol("PAGE2"));
    SendMessageA(dialog.CMD(Symbol("PLUS"))->HANDLE(), WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_EQ(dialog.CURRENTTAB(), Symbol("PAGE1"));
    SendMessageA(weight, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_TRUE(IsWindowVisible(note));
    EXPECT_FALSE(IsWindowEnabled(note));
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(DialogTest, OkShowsThePageOfTheFailingFieldBeforeFocusingIt)
{
    DLG_PAGES dialog;
    dialog.SHOW();
    dialog.Onglet()->SELECTTAB(Symbol("PAGE2"));
    dialog.SHOWTAB(Symbol("PAGE2")); // the second page, the mandatory weight left empty
    ASSERT_FALSE(IsWindowVisible(ElementWindow(dialog, "POIDS")));
    EXPECT_FALSE(dialog.OK());
    EXPECT_EQ(Texts(), std::vector<std::string>{"Saisie obligatoire"});
    EXPECT_EQ(dialog.CURRENTTAB(), Symbol("PAGE1"));
    EXPECT_EQ(dialog.Onglet()->SELECTEDTAB(), Symbol("PAGE1"));
    EXPECT_TRUE(IsWindowVisible(ElementWindow(dialog, "POIDS")));
    EXPECT_FALSE(IsWindowVisible(ElementWindow(dialog, "NOTE")));
    EXPECT_EQ(GetFocus(), ElementWindow(dialog, "POIDS"));
}

TEST_F(DialogTest, TheTabControlAsksBeforeChangingAndRefusesWhileThePageIsInvalid)
{
    DLG_PAGES dialog;
    dialog.SHOW();
    HWND tabs = dialog.Onglet()->HANDLE();
    NMHDR changing{tabs, UINT_PTR(GetDlgCtrlID(tabs)), UINT(TCN_SELCHANGING)};
    EXPECT_EQ(SendMessageA(dialog.HANDLE(), WM_NOTIFY, changing.idFrom, LPARAM(&changing)), 1);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Saisie obligatoire"});

    SetWindowTextA(ElementWindow(dialog, "POIDS"), "12");
    EXPECT_EQ(SendMessageA(dialog.HANDLE(), WM_NOTIFY, changing.idFrom, LPARAM(&changing)), 0);
    SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
    NMHDR changed{tabs, changing.idFrom, UINT(TCN_SELCHANGE)};
    SendMessageA(dialog.HANDLE(), WM_NOTIFY, changed.idFrom, LPARAM(&changed));
    EXPECT_EQ(dialog.CURRENTTAB(), Symbol("PAGE2"));
    EXPECT_TRUE(IsWindowVisible(ElementWindow(dialog, "PLUS")));
}

TEST_F(DialogTest, ADialogClosedAndShownAgainGetsItsWindowsBack)
{
    DLG_PAGES dialog;
    dialog.CREATEGROUPBOX("Cadre", 100, 50);
    dialog.SHOW();
    SetWindowTextA(ElementWindow(dialog, "POIDS"), "5");
    dialog.SELECTTAB(Symbol("PAGE2"));
    dialog.CLOSE();
    ASSERT_FALSE(dialog.Exists());
    EXPECT_EQ(ElementWindow(dialog, "POIDS"), nullptr);

    dialog.SHOW();
    ASSERT_TRUE(dialog.Exists());
    EXPECT_TRUE(IsWindowVisible(ElementWindow(dialog, "POIDS")));
    EXPECT_FALSE(IsWindowVisible(ElementWindow(dialog, "NOTE")));
    EXPECT_TRUE(dialog.Onglet()->Exists());
    EXPECT_EQ(dialog.CURRENTTAB(), Symbol("PAGE1")) << "a new window opens on the first page";
    EXPECT_NE(FindWindowExA(dialog.HANDLE(), nullptr, "BUTTON", "Cadre"), nullptr);
}

TEST_F(DialogTest, FieldsLoadBlankShowHideDisableAndRestackInListOrder)
{
    RecordBuffer record;
    record.Declare(Symbol("NOM"), std::make_shared<DOM_CAR>(10), "Nom", "Orge")
        .Declare(Symbol("QTE"), std::make_shared<DOM_NUM>(4, 0), "Quantité", 12);
    DLG dialog;
    dialog.CENTER(300, 150);
    dialog.DATA(&record).DATALBLFLDLN({Symbol("NOM"), Symbol("QTE")});
    dialog.SHOW();
    dialog.LOAD(true); // a new record: every field starts blank
    EXPECT_EQ(dialog.FLD(Symbol("NOM"))->GETTEXT(), "");
    EXPECT_EQ(dialog.FLD(Symbol("QTE"))->GETTEXT(), "");
    dialog.LOAD();
    EXPECT_EQ(dialog.FLD(Symbol("QTE"))->GETTEXT(), "12");

    dialog.FLDSHOW({Symbol("NOM")}, false);
    EXPECT_FALSE(IsWindowVisible(ElementWindow(dialog, "NOM")));
    dialog.FLDSHOW({Symbol("NOM")}, true);
    EXPECT_TRUE(IsWindowVisible(ElementWindow(dialog, "NOM")));
    dialog.FLDDISABLEBLANK({Symbol("QTE")}, true);
    EXPECT_FALSE(IsWindowEnabled(ElementWindow(dialog, "QTE")));
    EXPECT_EQ(dialog.FLD(Symbol("QTE"))->GETTEXT(), "");

    // Restacked, the children follow the element list: label, NOM, label, QTE.
    SetWindowPos(ElementWindow(dialog, "QTE"), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    dialog.SETZORDER();
    std::vector<HWND> order;
    for (HWND child = GetWindow(dialog.HANDLE(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        order.push_back(child);
    std::vector<HWND> expected;
    for (const DLG::Element& element : dialog.Elements())
        expected.push_back(element.object->HANDLE());
    EXPECT_EQ(order, expected);
}

TEST_F(DialogTest, MoveAndCenterPlaceAnOpenWindow)
{
    DLG dialog;
    dialog.MOVE(20, 30, 240, 120);
    dialog.SHOW();
    RECT r;
    GetWindowRect(dialog.HANDLE(), &r);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 30);
    dialog.MOVE(60); // only x changes
    GetWindowRect(dialog.HANDLE(), &r);
    EXPECT_EQ(r.left, 60);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, 240);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    dialog.CENTER(200, 100);
    GetWindowRect(dialog.HANDLE(), &r);
    EXPECT_EQ(r.left, work.left + (work.right - work.left - 200) / 2);
    EXPECT_EQ(r.top, work.top + (work.bottom - work.top - 100) / 2);
    EXPECT_EQ(r.bottom - r.top, 100);
}

TEST_F(DialogTest, MessageBoxesCarryTheirCaptionsIconsAndAnswers)
{
    DLG dialog;
    boxes.answer = kIdYes;
    EXPECT_TRUE(dialog.CONFIRM("Suppression ?"));
    boxes.answer = kIdNo;
    EXPECT_FALSE(dialog.CONFIRM("Suppression ?", "Fiche"));
    dialog.MESSAGE("Terminé");
    dialog.ERROR("Fichier non trouvé");
    ASSERT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(boxes.shown[0].caption, "Confirmation");
    EXPECT_EQ(boxes.shown[0].style, kMbYesNo | kMbIconQuestion);
    EXPECT_EQ(boxes.shown[1].caption, "Fiche");
    EXPECT_EQ(boxes.shown[2].caption, "Message");
    EXPECT_EQ(boxes.shown[2].style, kMbOk | kMbIconInformation);
    EXPECT_EQ(boxes.shown[3].caption, "Erreur");
    EXPECT_EQ(boxes.shown[3].style, kMbOk | kMbIconStop);
}

#define DLG_TIMER_COMMANDS(OWN, SHARED) SHARED(ONTIMER)
class DLG_TIMER : public DLG {
public:
    DLG_TIMER() : DLG(nullptr, GKT_DIALOG, "Minuterie") { CENTER(200, 100); }
    LYSORA_METHODS(DLG_TIMER, DLG, DLG_TIMER_COMMANDS)
    void ONTIMER() { ++ticks; }
    bool CANCLOSE() override { return allowClose; }
    void ONCLOSE() override { ++closes; }
    int ticks = 0, closes = 0;
    bool allowClose = false;
};

TEST_F(DialogTest, TimersNeedAnOnTimerMethodAndRunOnceTheWindowExists)
{
    DLG plain;
    plain.SETTIMER(10);
    EXPECT_EQ(Texts(), std::vector<std::string>{"La méthode OnTimer n'est pas définie"});

    DLG_TIMER dialog;
    dialog.SETTIMER(10); // requested before the window exists
    PumpFor(50);
    EXPECT_EQ(dialog.ticks, 0);
    dialog.SHOW();
    PumpFor(200);
    EXPECT_GT(dialog.ticks, 0);
}

TEST_F(DialogTest, CanCloseRefusingKeepsTheDialogOpen)
{
    DLG_TIMER dialog;
    dialog.SHOW();
    dialog.CLOSE();
    SendMessageA(dialog.HANDLE(), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_TRUE(dialog.Exists());
    EXPECT_EQ(dialog.closes, 0);
    dialog.CMD(Command("BOUTON"), "Bouton");
    dialog.SHOW();
    dialog.SHOW(GKT_SHOW_CLOSE); // refused as well: the controls stay
    EXPECT_TRUE(IsWindow(ElementWindow(dialog, "BOUTON")));
    dialog.allowClose = true;
    dialog.CLOSE();
    EXPECT_FALSE(dialog.Exists());
    EXPECT_EQ(dialog.closes, 1);
}

TEST_F(DialogTest, TableNotificationsReachMethodsUntilTheWindowIsGone)
{
    DLG_RECORDING dialog;
    dialog.SHOW();
    NOTIFY_REGISTER(&dialog);
    NOTIFY_SENDALL(Symbol("FICHEMAT"));
    NOTIFY_SENDALL(Symbol("ONCOMMIT")); // no such method: nothing happens
    EXPECT_EQ(dialog.calls, std::vector<std::string>{"FICHEMAT"});
    dialog.CLOSE();
    NOTIFY_SENDALL(Symbol("FICHEMAT"));
    EXPECT_EQ(dialog.calls.size(), 1u);
}

TEST_F(DialogTest, AModalOriginStaysDisabledWhileTheDialogIsOpen)
{
    DLG origin(nullptr, GKT_DIALOG, "Origine");
    origin.CENTER(300, 200);
    origin.SHOW();
    {
        DLG child(nullptr, GKT_DIALOG, "Enfant");
        child.CENTER(200, 100);
        child.ORIG(&origin, true);
        child.SHOW();
        EXPECT_FALSE(IsWindowEnabled(origin.HANDLE()));
        child.CLOSE();
        EXPECT_TRUE(IsWindowEnabled(origin.HANDLE()));
    }
    DLG blocking(nullptr, GKT_DIALOG, "Bloquant");
    blocking.ORIG(&origin);
    blocking.SHOW();
    blocking.BLOQUER();
    EXPECT_FALSE(IsWindowEnabled(origin.HANDLE()));
    blocking.CLOSE();
    EXPECT_TRUE(IsWindowEnabled(origin.HANDLE()));
}

TEST_F(DialogTest, SpinStepsChangeNumbersAndDates)
{
    SetDateEpoch(1950); // two-digit years from 1950: the shown "24" reads back as 2024
    DLG dialog;
    dialog.CENTER(300, 100);
    dialog.FLD(Symbol("N"), std::make_shared<DOM_NUM>(4, 0)).LN().FLD(Symbol("D"), std::make_shared<DOM_DAT>());
    dialog.SHOW();
    dialog.FLDSET(Symbol("N"), 9);
    dialog.FLDSET(Symbol("D"), Date::FromYmd(2024, 2, 28));
    Win* record = dialog.Record();
    record->callback(dialog.HANDLE(), GKTM_SPIN, WPARAM(ElementWindow(dialog, "N")), 1);
    record->callback(dialog.HANDLE(), WM_USER + 100, WPARAM(ElementWindow(dialog, "D")), -1);
    record->callback(dialog.HANDLE(), GKTM_SPIN, WPARAM(ElementWindow(dialog, "D")), 2);
    EXPECT_EQ(dialog.FLDGET(Symbol("N")), Value(10));
    EXPECT_EQ(dialog.FLD(Symbol("D"))->GETTEXT(), "29/02/24");
    EXPECT_EQ(dialog.FLDGET(Symbol("D")), Value(Date::FromYmd(2024, 2, 29)));
    SetDateEpoch(1900);
}

} // namespace
} // namespace lysora::testing
