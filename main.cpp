#include "Unit1.h"
#include "application.h"

int main(int argc, char *argv[])
{
    TApplication application(argc, argv);
    TForm1 form;
    form.show();
    return application.exec();
}
