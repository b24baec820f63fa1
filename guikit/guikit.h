// guikit32: the GUI engine library shared by Lysora.exe and PrintRun.exe.
// Every export is a plain __stdcall function with an undecorated name; no C++ exception
// and no standard-library type crosses the module boundary.
#pragma once

#ifdef GUIKIT_BUILDING
#define GUIKIT_API extern "C" __declspec(dllexport)
#else
#define GUIKIT_API extern "C" __declspec(dllimport)
#endif

// Answers 999: lets a program prove at start that it found and loaded the library.
GUIKIT_API int __stdcall Test(void);
