// Lysora.exe entry point: the GUI engine's application object for this instance, the
// program's module registered for the bitmaps that button faces name, message boxes for
// every report of the portable layers, the views the menu opens by name, then START until
// the message loop ends.
#include "app/start.h"
#include "base/message_box.h"
#include "views/comparison/dlg_compmatselect.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    lysora::MessageBoxSink boxes;
    lysora::SetMessages(&boxes);
    App* app = App_New(instance);
    if (!app) {
        MessageBoxA(nullptr, "Impossible d'initialiser l'interface", "Erreur", MB_ICONSTOP | MB_SETFOREGROUND);
        return 1;
    }
    lysora::SetApplication(app);
    lysora::RegisterDialogClass<lysora::DLG_COMPMATSELECT>("DLG_COMPMATSELECT");
    __Out_RegisterBitmapInstance(instance);
    lysora::START();
    lysora::SetApplication(nullptr);
    App_Delete(app);
    lysora::SetMessages(nullptr);
    return 0;
}
