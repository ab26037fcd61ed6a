// The one place where GBK Texts meet Qt's Unicode strings. Everything below
// the widgets works on GBK byte strings; only what a widget shows or what the
// user types crosses this boundary.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace velmora {

// Decodes GBK bytes for display, as the code page's table reads them: a byte
// the table does not pair shows as a character of its own (0x80 as the euro
// sign, 0xFF as a private-use character) or as a replacement character; no
// byte is thrown away silently except an incomplete last character, which has
// no glyph to show.
QString GbkToUnicode(std::string_view gbk);

// Encodes a typed or shown string as GBK. Characters that GBK lacks become
// the encoder's substitute ("?"), so the result is always a usable Text.
std::string UnicodeToGbk(const QString& text);

// A GBK Text used as a file name, in the file system's own encoding (UTF-8
// on Linux), so that the user finds the file under the name shown.
std::string GbkToFileSystemName(std::string_view gbk);

}  // namespace velmora
