// Tintaro as main.cpp starts it, with the first-paint hook.
#include "Unit1.h"
#include "application.h"
#include "firstpaint.h"

int main(int argc, char *argv[])
{
    TApplication application(argc, argv);
    quitAfterFirstPaint(application);
    TForm1 form;
    form.show();
    return application.exec();
}
