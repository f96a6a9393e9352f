// The yardstick: a bare Qt window, one QWidget, shown and painted once.
#include "firstpaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    quitAfterFirstPaint(application);
    QWidget window;
    window.resize(811, 565);
    window.show();
    return application.exec();
}
