#include <QApplication>
#include <QWidget>

// Replaced by the start-up sequence.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget w;
    w.resize(1020, 700);
    w.show();
    return app.exec();
}
