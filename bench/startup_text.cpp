// A second yardstick: the bare window with one line of Japanese text in the
// family the window resolves to, looked up as the window looks it up and
// named alone, at the window's value-text size. What every program with text
// pays (the font database, the Japanese font at one size) shows apart from
// Tintaro's own.
#include "designfamily.h"
#include "firstpaint.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    quitAfterFirstPaint(application);
    QLabel window(QStringLiteral("あか みどり あお 16進数（HTML色）"));
    QFont font;
    font.setFamilies({DesignFamily()});
    font.setPixelSize(19);
    window.setFont(font);
    window.resize(811, 565);
    window.show();
    return application.exec();
}
