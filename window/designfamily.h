// The window's design family, looked up without linking the program: the
// start-up yardstick names the same family.
#pragma once

#include <QFontDatabase>
#include <QString>
#include <QStringList>

// "ＭＳ Ｐゴシック" where it is installed, else IPA's proportional Gothic, else
// the desktop's sans-serif: only the first of them that is installed is asked
// for. A missing family costs a fallback search for every script at every
// size before the next is tried, and a font that names further families has
// its fallback list searched for every script at once rather than when a
// character is missing from it, which none of the window's texts is.
inline QString DesignFamily()
{
    // By either of its names, without asking fontconfig to resolve one.
    const QStringList installed = QFontDatabase::families();
    for (const QString &family : {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic")}) {
        if (installed.contains(family))
            return QStringLiteral("ＭＳ Ｐゴシック");
    }
    // Listed by its name in the user's language: "IPA Pゴシック" under a
    // Japanese locale.
    for (const QString &family : {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック")}) {
        if (installed.contains(family))
            return family;
    }
    return QStringLiteral("sans-serif");
}
