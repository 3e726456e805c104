// SPDX-License-Identifier: GPL-3.0-or-later
// The one conversion between byte paths and QString. Bytes that are not UTF-8 travel
// through the QString as lone surrogates U+DC80..U+DCFF (as Python's surrogateescape does),
// so a name shown, edited and handed back is the very bytes the file system holds.
#pragma once

#include <QString>

#include "util/paths.h"

class QUrl;
#include <string>
#include <string_view>

namespace corvelle {

QString PathToQString(std::string_view bytes);
std::string QStringToPath(const QString& text);

// The path a dropped file:// address names, as bytes with `sep` between folders ("" for an
// address that is not a local file): "file:///C:/a" is "C:\\a" with "\\", and a host is a
// network path ("\\\\server\\share…").
std::string LocalPathOfUrl(const QUrl& url, char sep = kSep);

}  // namespace corvelle
