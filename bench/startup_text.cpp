// A second yardstick: the bare window with one line of Japanese text in the
// family the window resolves to, looked up as the window looks it up and
// named alone, at the window's value-text size. What every program with text
// pays (the font database, the Japanese font at one size) shows apart from
// Tintaro's own.
#include "firstpaint.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>

namespace {

QString windowFamily()
{
    const QStringList installed = QFontDatabase::families();
    for (const QString &family : {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic")}) {
        if (installed.contains(family))
            return QStringLiteral("ＭＳ Ｐゴシック");
    }
    for (const QString &family : {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック")}) {
        if (installed.contains(family))
            return family;
    }
    return QStringLiteral("sans-serif");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    quitAfterFirstPaint(application);
    QLabel window(QStringLiteral("あか みどり あお 16進数（HTML色）"));
    QFont font;
    font.setFamilies({windowFamily()});
    font.setPixelSize(19);
    window.setFont(font);
    window.resize(811, 565);
    window.show();
    return application.exec();
}
