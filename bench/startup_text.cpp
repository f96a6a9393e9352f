// A second yardstick: the bare window with one line of Japanese text in the
// window's font, so that the cost every program with text pays (the font
// database, the Japanese font and its fallbacks) shows apart from Tintaro's own.
#include "firstpaint.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    quitAfterFirstPaint(application);
    QLabel window(QStringLiteral("あか みどり あお 16進数（HTML色）"));
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), QStringLiteral("sans-serif")});
    font.setPixelSize(12);
    window.setFont(font);
    window.resize(811, 565);
    window.show();
    return application.exec();
}
