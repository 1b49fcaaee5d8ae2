#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// How keys and values are written in the store's INI file. Each key is one
// section named by its root key and its path, the segments joined by "."
// ("[HKEY_CURRENT_USER.Software.Korvane.Velmora.Settings]"), so that values
// and subkeys never share a name space. Segments and value names are written
// with ASCII letters, digits, '-' and "_XX" escapes only, so that any name
// (with ".", "/", "\\", "=", blanks, any Unicode) comes back as it was
// written. Each value is one text that carries its type and its exact bytes.
namespace platform::reg {

// Joins the root key's name and the stored segments of a key's section.
inline constexpr char16_t KeySeparator = u'.';

// Reserved entry names inside a key's group; encodeName() never produces
// them, since "_" is always followed by two hex digits there.
inline constexpr char KeyMarkerName[] = "_key";        // keeps a key without values alive
inline constexpr char DefaultValueName[] = "_unnamed"; // the key's default (empty-named) value

// A segment or value name as stored: ASCII letters, digits and '-' as they
// are, every other byte of its UTF-8 form as "_XX" (upper-case hex).
QString encodeName(const QString &name);
// The name back from its stored form. Lenient for entries edited by hand:
// anything that is not a "_XX" escape is taken as it is.
QString decodeName(const QString &stored);

// The stored text of a value:
//   "sz:<text>" / "expandsz:<text>"  REG_SZ / REG_EXPAND_SZ data that is
//                                    valid UTF-8 with exactly one closing zero
//   "dword:<8 hex digits>"           REG_DWORD data of exactly 4 bytes
//   "hex(<type in hex>):<aa,bb,...>" everything else, byte for byte
QString encodeData(std::int32_t type, const QByteArray &data);
// Type and bytes back from a stored text; false when the text starts like
// a "dword:" or "hex(...):" value but is not one ("dword:zzzz", edited by
// hand), which then reads as missing so that the reader's default applies.
// A "dword:" value may have fewer than 8 digits. Any other text reads as
// REG_SZ holding that text.
bool decodeData(const QString &stored, std::int32_t &type, QByteArray &data);

} // namespace platform::reg
