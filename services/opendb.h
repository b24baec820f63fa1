// Opening the program's database between the intro and the main menu: the four reference
// tables of the current language, read-only (writable in a debug build), and the general
// data and nutrient groups loaded from them. The database stays open for the whole run.
#pragma once

namespace lysora {

// Declares the tables (I_DATABASE), opens them from the program directory and loads the
// general data (LOADGENERAL) and the nutrient groups (LOADNUTRIMENTS). False on any failure,
// the failing step having shown its message.
bool OPENDB();
// The same with the access mode given: writable or read-only.
bool OPENDB(bool writable);

} // namespace lysora
