#pragma once

#include "platform/base/Variant.h"

#include <QString>

#include <cstdint>
#include <functional>

class QLineEdit;
class QObject;

// Small stateless helpers that the windows of every part of the program
// call directly: facts about the user's locale, the key filters of numeric
// text boxes, null-safe reading of field and setting values, and file paths.
namespace comUtility {

// Locale identifiers understood by LocaleInfo (the classic LCID values).
inline constexpr std::int32_t LOCALE_INVARIANT = 0x007F;
inline constexpr std::int32_t LOCALE_USER_DEFAULT = 0x0400;
inline constexpr std::int32_t LOCALE_SYSTEM_DEFAULT = 0x0800;

// Flags that may be added to an information type; the first two change
// nothing here, a number answer is not supported (empty text).
inline constexpr std::int32_t LOCALE_NOUSEROVERRIDE = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::int32_t LOCALE_USE_CP_ACP = 0x40000000;
inline constexpr std::int32_t LOCALE_RETURN_NUMBER = 0x20000000;

// Locale information types (the classic LCTYPE values).
inline constexpr std::int32_t LOCALE_SNATIVELANGNAME = 0x0004;
inline constexpr std::int32_t LOCALE_SNATIVECTRYNAME = 0x0008;
inline constexpr std::int32_t LOCALE_SDECIMAL = 0x000E;
inline constexpr std::int32_t LOCALE_STHOUSAND = 0x000F;
inline constexpr std::int32_t LOCALE_SCURRENCY = 0x0014;
inline constexpr std::int32_t LOCALE_SINTLSYMBOL = 0x0015;
inline constexpr std::int32_t LOCALE_SMONDECIMALSEP = 0x0016;
inline constexpr std::int32_t LOCALE_SMONTHOUSANDSEP = 0x0017;
inline constexpr std::int32_t LOCALE_SDATE = 0x001D;
inline constexpr std::int32_t LOCALE_STIME = 0x001E;
inline constexpr std::int32_t LOCALE_SSHORTDATE = 0x001F;
inline constexpr std::int32_t LOCALE_SLONGDATE = 0x0020;
inline constexpr std::int32_t LOCALE_S1159 = 0x0028;
inline constexpr std::int32_t LOCALE_S2359 = 0x0029;
inline constexpr std::int32_t LOCALE_SDAYNAME1 = 0x002A;         // Monday; ...7 = Sunday
inline constexpr std::int32_t LOCALE_SABBREVDAYNAME1 = 0x0031;   // Monday; ...7 = Sunday
inline constexpr std::int32_t LOCALE_SMONTHNAME1 = 0x0038;       // January; ...12 = December
inline constexpr std::int32_t LOCALE_SABBREVMONTHNAME1 = 0x0044; // January; ...12 = December
inline constexpr std::int32_t LOCALE_SNEGATIVESIGN = 0x0051;
inline constexpr std::int32_t LOCALE_SISO639LANGNAME = 0x0059;
inline constexpr std::int32_t LOCALE_SISO3166CTRYNAME = 0x005A;
inline constexpr std::int32_t LOCALE_SENGLANGUAGE = 0x1001;
inline constexpr std::int32_t LOCALE_SENGCOUNTRY = 0x1002;
inline constexpr std::int32_t LOCALE_IFIRSTDAYOFWEEK = 0x100C; // "0" = Monday ... "6" = Sunday

// One piece of information about a locale as text: LOCALE_SDECIMAL gives
// the decimal separator ("," in Italy), LOCALE_STHOUSAND the group
// separator, and so on. LOCALE_USER_DEFAULT and LOCALE_SYSTEM_DEFAULT both
// mean the program's default locale (QLocale()); a few common locale ids
// (0x0410 Italian, 0x0409 US English, ...) and LOCALE_INVARIANT are known
// too. An unknown locale or type gives empty text.
QString LocaleInfo(std::int32_t locale, std::int32_t lcType);

// Key filters of numeric text boxes. They take a typed character code and
// answer the code to type instead; 0 swallows the key.
//
// For a decimal number: digits, Backspace, Tab and the comma pass; the
// point becomes the user's decimal separator (a comma in Italy); anything
// else, the minus sign and Enter included, is swallowed.
std::int16_t DecimalKeyFilter(std::int16_t keyAscii);
// For a whole number: digits, Backspace and Tab pass; anything else is
// swallowed.
std::int16_t DigitKeyFilter(std::int16_t keyAscii);

using KeyFilterFn = std::function<std::int16_t(std::int16_t)>;

// Applies a key filter to what is typed into a line edit: each typed
// character runs through the filter, which may swallow it or replace it.
// Keys that type no character (arrows, Delete, Home, End), control
// characters (Enter, Esc, Backspace) and Ctrl shortcuts (copy, paste) pass
// untouched, so that editing and the window's own Enter handling keep
// working. The returned event filter belongs to the line edit.
// Text pasted into the box (by the keys, its menu, the middle button or a
// drop) runs through the same filter, so that what the keys cannot type
// cannot be pasted either.
QObject *installKeyFilter(QLineEdit *edit, KeyFilterFn filter);

// Selects the whole text of a line edit with the cursor at its beginning,
// so that a text longer than the box shows its beginning, not its end.
void SelectAllFromStart(QLineEdit *edit);

using PasteFilterFn = std::function<QString(const QString &)>;

// Makes the text pasted or dropped into a line edit go through `filter`
// before the box takes it (the box then cuts the result to its maximum
// length, and its validator still applies). Typed keys are not affected.
// The returned event filter belongs to the line edit.
QObject *installPasteFilter(QLineEdit *edit, PasteFilterFn filter);

// The value's text when it holds text (empty text included); the default
// for anything else: Null, Empty, numbers, dates.
QString StringOrDefault(const platform::Variant &value, const QString &def);

// The value as a double when it passes the numeric test in the user's
// locale (numbers, Booleans with True = -1, Empty = 0, text such as "1,5"
// in Italy); the default for Null, dates and text that is not a number.
double NumberOrDefault(const platform::Variant &value, double def);

// The value as a 32-bit whole number when it is one or reads as one (a
// stored setting, a field); the default for anything else: Null, text that
// is not a number, a number that does not fit.
std::int32_t IntegerOrDefault(const platform::Variant &value, std::int32_t def);

// The full name of `fileName` in `folder`: one "/" between them, none added
// after a folder that already ends in one (the root folder "/").
QString FullPath(const QString &folder, const QString &fileName);
// The folder of a full file name, without the "/" before the file's own
// name; "/" for a file in the root folder, empty for a bare name.
QString FolderOf(const QString &path);

// Copies `source` to `target`, which must not exist: the copy is written
// beside the target and takes its name only when it is complete, so that a
// failure (a full disk, a folder that cannot be written) leaves nothing
// behind and an existing file is never replaced. The copy can be written by
// its owner whatever the source's permissions. Answers empty text when the
// copy was made, else the reason in Italian.
QString CopyNewFile(const QString &source, const QString &target);

} // namespace comUtility
