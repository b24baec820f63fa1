// Text conversions of the domains: numbers and dates to text and back, in the forms the
// runtime gives them (Str, Val, CToD, DToC), plus the two program-wide settings they read:
// the user's decimal separator (accepted when numbers are typed) and the date epoch.
// Dates are written dd/mm/yy; a two-digit year falls in the hundred years from the epoch.
#pragma once

#include "base/text.h" // AllTrim, Trim, LTrim

#include "base/value.h"

#include <string>
#include <string_view>

namespace lysora {

// The user's decimal separator, accepted in typed numbers besides "."; "." until start-up
// sets the one read from the system settings.
char DecimalSeparator();
void SetDecimalSeparator(char separator);

// First year of the hundred years a two-digit year stands for (1900 until start-up sets it).
int DateEpoch();
void SetDateEpoch(int year);

// The number right-aligned in len characters with dec decimals and "." as decimal point
// (halves rounded away from zero); len "*" characters when it does not fit.
std::string Str(double number, int len, int dec = 0);
// A whole number as plain digits, without padding: the form order keys quote lengths in.
std::string StrInt(long long number);

// The number the text begins with, leading blanks skipped, "." as decimal point; 0 when the
// text begins with no number.
double Val(std::string_view text);
// As Val, but the user's decimal separator is read as the decimal point too.
double ValTyped(std::string_view text);

// "dd/mm/yy" of the date; an empty text for the empty date.
std::string DToC(Date date);
// The date of a "dd/mm/yy" text (any non-digit separates the parts; a year of three or four
// digits is taken as it stands); the empty date when the text is not a real date.
Date CToD(std::string_view text);
// True when the text holds no digit, only blanks and separators: the empty date's text.
bool IsBlankDateText(std::string_view text);


} // namespace lysora
