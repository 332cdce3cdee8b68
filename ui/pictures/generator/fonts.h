#pragma once

#include <QString>

namespace board::fonts {

// A clean sans-serif with the Chinese characters the captions need.
inline const QString kSans = QStringLiteral("WenQuanYi Micro Hei");
// A Ming-style serif, for the decorative lettering of the banner area.
inline const QString kSerif = QStringLiteral("AR PL UMing CN");

}  // namespace board::fonts
