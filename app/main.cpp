#include "app/ampello_app.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    tarimo::app::AmpelloApp tarimo;
    return application.exec();
}
