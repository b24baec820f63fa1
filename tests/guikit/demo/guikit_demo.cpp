// guikit_demo: a small window that shows what guikit32 draws and runs: a main dialog with a
// toolbar, a status strip, a background made of drawing commands, buttons whose faces are
// command texts, labels, an edit, a drop-down list, a check box and a colour box. Toolbar and
// button commands are written into the edit; "Ok" and "Annuler" close the window.
#include "guikit/guikit.h"

#include <cstdio>
#include <initializer_list>

namespace {

enum Command { kOk = 1001, kCancel, kGraph, kNew, kSave, kHelp };

App* app;
Win* dialog;
Win* edit;

LRESULT CALLBACK DemoCallback(HWND hwnd, UINT msg, WPARAM wparam, LPARAM)
{
    if (msg != WM_COMMAND) return 0;
    const char* names[] = {"Ok", "Annuler", "Graphe", "Nouveau", "Enregistrer", "Aide"};
    const int command = LOWORD(wparam);
    if (command < kOk || command > kHelp || HIWORD(wparam) > 1) return 0;
    char text[64];
    std::snprintf(text, sizeof text, "Commande : %s", names[command - kOk]);
    Win_SetText(edit->hwnd, text);
    if (command == kOk || command == kCancel) PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return 0;
}

Win* Child(int type, int x, int y, int w, int h, int command = 0)
{
    Win* win = Win_New(app, type);
    win->parent = dialog;
    win->req_x = x;
    win->req_y = y;
    win->req_w = w;
    win->req_h = h;
    win->command = command;
    win->callback = DemoCallback;
    win->auto_delete = 1;
    win->style |= WS_VISIBLE;
    return win;
}

void Label(int y, const char* text)
{
    Win* label = Child(GKT_LABEL, 12, y + 3, 80, 22);
    Win_Create(label);
    Win_SetText(label->hwnd, text);
}

void FaceButton(int y, int command, const char* caption, const char* face)
{
    Win* button = Child(GKT_BUTTON, -96, y, 84, 28, command);
    button->style |= BS_OWNERDRAW;
    Win_SetBkText(button, face);
    Win_Create(button);
    Win_SetText(button->hwnd, caption); // the Alt+letter of the face
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    app = App_New(instance);
    if (!app) return 1;
    __Out_RegisterBitmapInstance(instance);

    dialog = Win_New(app, GKT_MAINDIALOG);
    dialog->req_x = 40;
    dialog->req_y = 40;
    dialog->req_w = 440;
    dialog->req_h = 330;
    dialog->callback = DemoCallback;
    dialog->statusbar_height = 22;
    Win_SetColor(dialog, RGB(255, 255, 255), RGB(0, 0, 0));
    Win_CtlBarAdd(dialog, kNew, "tbnew");
    Win_CtlBarAdd(dialog, kSave, "tbsave");
    Win_CtlBarSepar(dialog, 10);
    Win_CtlBarAdd(dialog, kHelp, "tbhelp");
    Win_SetBkText(dialog, "@0:25 Cr255g192 R439:44:r255g192 @12:37 F'MS Sans Serif'12+'Matières premières' "
                          "@12:55 F*'données d''exemple' Cr192g192b192 @0:69 R439:0");
    Win_Show(dialog, GKT_SHOW_CREATE);
    Win_SetText(dialog->hwnd, "guikit32 - démonstration");

    Label(84, "&Matière :");
    edit = Child(GKT_EDIT, 100, 84, -110, 20, 1);
    Win_Create(edit);
    Win_SetText(edit->hwnd, "Blé tendre");

    Label(114, "&Nutriment :");
    Win* combo = Child(GKT_COMBO, 100, 114, 150, 120, 2);
    Win_Create(combo);
    for (const char* name : {"Lysine", "Méthionine", "Thréonine", "Tryptophane"}) {
        SendMessageA(combo->hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendMessageA(combo->hwnd, CB_SETCURSEL, 0, 0);

    Label(144, "&Digestible :");
    Win* check = Child(GKT_CHECKBOX, 100, 144, 20, 20, 3);
    Win_Create(check);
    Win_SetText(check->hwnd, "Y");

    Label(174, "&Couleur :");
    Win* colour = Child(GKT_COLORBOX, 100, 174, 100, 20, 4);
    Win_Create(colour);
    Win_SetText(colour->hwnd, "r255g128b0");

    FaceButton(114, kOk, "&Ok", "@5:4 #ok @35:5 F+'&Ok'");
    FaceButton(148, kCancel, "&Annuler", "@5:4 #cancel @23:5 F+'&Annuler'");
    FaceButton(182, kGraph, "&Graphe", "@4:5 Cr200 /BAR8 Cg160 /BAR12 Cb200 /BAR6 @32:5 F+'&Graphe'");

    Win_Show(dialog, SW_SHOW);
    int code = Loop_Main(0);
    Win_Del(dialog);
    App_Delete(app);
    return code;
}
