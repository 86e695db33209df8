// The peer of the idle-window benchmark: a bare Qt window of the card
// window's client size, doing nothing.

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(625, 600);
    window.show();
    return QApplication::exec();
}
