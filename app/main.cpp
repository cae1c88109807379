#include <QApplication>
#include <QLabel>

// Placeholder until the price window exists.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Tarimo is being built: the price window comes soon."));
    label.setMargin(24);
    label.show();
    return app.exec();
}
