#include "app/ampello_app.h"

#include <QApplication>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char *argv[])
{
#if defined(__GLIBC__)
    // One heap for every thread: the network threads' own arenas would keep
    // what they once held, and a program that runs for weeks would grow by
    // it. The threads allocate little, so they hardly ever wait for it.
    mallopt(M_ARENA_MAX, 1);
#endif
    QApplication application(argc, argv);
    tarimo::app::AmpelloApp tarimo;
    return application.exec();
}
