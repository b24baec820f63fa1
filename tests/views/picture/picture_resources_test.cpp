// The program's bitmap resources and icon, linked from the same resource object as
// Lysora.exe: every name the buttons and dialogs use loads, names are found whatever their
// case, and each button picture fits its button as the GUI engine paints it (at (2, 2),
// one pixel further when pressed: a W x H button takes at most (W - 5) x (H - 5)).
#include "views/picture/bmp_reader_win32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Size {
    int width = 0, height = 0;
};

Size BitmapSize(const char* name)
{
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), name);
    if (!bitmap)
        return {};
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    DeleteObject(bitmap);
    return {info.bmWidth, info.bmHeight};
}

TEST(PictureResources, EveryBitmapLoadsWhateverTheCaseOfItsName)
{
    const char* names[] = {"AAE", "AANE", "AIDE", "ALL", "ANNULER", "AP", "BACK", "CANCEL", "CHOIX",
                           "COMP", "CROISE", "CROSS", "DERNIER", "EAA", "ENGLISH", "EXPORT", "EXPORTER",
                           "FICHE", "FRANCAIS", "GRAPHE", "IMPRIMER", "MENU", "MODIENG", "MODIFRA", "NEAA",
                           "NONE", "OK", "PA", "PRECEDENT", "PREMIER", "QUIT", "QUITTER", "RETOUR", "RIEN",
                           "SUIVANT", "TOUT"};
    for (const char* name : names) {
        const Size size = BitmapSize(name);
        EXPECT_GT(size.width, 0) << name;
        EXPECT_GT(size.height, 0) << name;
    }
    // Faces name pictures as the string table spells them.
    for (const char* name : {"Quitter", "quit", "Premier", "aide", "francais", "Fiche", "choix", "Ok"})
        EXPECT_GT(BitmapSize(name).width, 0) << name;
    EXPECT_EQ(BitmapSize("NOSUCHPICTURE").width, 0);
}

TEST(PictureResources, ButtonPicturesFitTheirButtons)
{
    struct Button {
        const char* picture;
        int width, height;
    };
    const Button buttons[] = {
        {"FRANCAIS", 100, 30}, {"ENGLISH", 100, 30}, {"MENU", 22, 22},      {"AIDE", 22, 22},
        {"GRAPHE", 22, 22},    {"QUITTER", 100, 22}, {"QUIT", 100, 22},      {"PREMIER", 25, 23},
        {"PRECEDENT", 25, 23}, {"SUIVANT", 25, 23},  {"DERNIER", 25, 23},    {"IMPRIMER", 25, 22},
        {"EXPORTER", 100, 22}, {"EXPORT", 100, 22},  {"RETOUR", 120, 22},    {"BACK", 120, 22},
        {"MODIFRA", 150, 22},  {"MODIENG", 150, 22}, {"CROISE", 165, 22},    {"CROSS", 165, 22},
        {"TOUT", 38, 22},      {"ALL", 38, 22},      {"RIEN", 38, 22},       {"NONE", 38, 22},
        {"AAE", 38, 22},       {"EAA", 38, 22},      {"AANE", 45, 22},       {"NEAA", 45, 22},
        {"AP", 28, 22},        {"PA", 28, 22},       {"ANNULER", 70, 22},    {"OK", 70, 22},
        // Beside their caption in the framework's faces: "@5:1 #ok @35:2 ...", "@5:1 #cancel @23:2 ...".
        {"OK", 5 + 30 + 5, 22},   {"CANCEL", 5 + 18 + 5, 22},
    };
    for (const Button& button : buttons) {
        const Size size = BitmapSize(button.picture);
        EXPECT_LE(size.width, button.width - 5) << button.picture;
        EXPECT_LE(size.height, button.height - 5) << button.picture;
    }
    // Backgrounds cover the dialogs that show them.
    EXPECT_GE(BitmapSize("FICHE").width, 739);
    EXPECT_GE(BitmapSize("CHOIX").height, 505);
    EXPECT_GE(BitmapSize("COMP").width, 779);
}

// The colour of pixel (x, y) of a bitmap resource, as 0x00RRGGBB.
std::uint32_t PixelOf(const char* name, int x, int y)
{
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), name);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const COLORREF colour = GetPixel(memory, x, y);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
}

TEST(PictureResources, PicturesKeepTheirColours)
{
    // The French flag's blue and red stripes, the button face around the pictures.
    EXPECT_EQ(PixelOf("FRANCAIS", 5, 12), 0x0055A4u);
    EXPECT_EQ(PixelOf("FRANCAIS", 21, 12), 0xEF4135u);
    EXPECT_EQ(PixelOf("SUIVANT", 0, 0), 0xF0F0F0u);
    EXPECT_EQ(PixelOf("CHOIX", 10, 300), 0xFFB800u); // the accent amber
}

TEST(PictureResources, ProgramIconLoads)
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "Icone");
    ASSERT_NE(icon, nullptr);
    DestroyIcon(icon);
    HANDLE small = LoadImageA(GetModuleHandleA(nullptr), "ICONE", IMAGE_ICON, 16, 16, 0);
    EXPECT_NE(small, nullptr);
    DestroyIcon(HICON(small));
}

TEST(PictureResources, ShippedFilesGiveBitmapsAndPalettes)
{
    for (const char* file : {"accueil.bmp", "menu.bmp", "titre.bmp", "title.bmp"}) {
        HPALETTE palette = nullptr;
        HBITMAP bitmap = lysora::bmp::READBITMAP(file, palette);
        EXPECT_NE(bitmap, nullptr) << file;
        EXPECT_NE(palette, nullptr) << file;
        DeleteObject(bitmap);
        DeleteObject(palette);
    }
}

} // namespace
