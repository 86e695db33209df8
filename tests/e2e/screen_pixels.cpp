#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

// screen_pixels X Y WIDTH HEIGHT: the colours of that rectangle of the screen,
// row by row, one "#rrggbb" a line.
int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 5)
        return 2;
    const int x = std::atoi(argv[1]);
    const int y = std::atoi(argv[2]);
    const int width = std::atoi(argv[3]);
    const int height = std::atoi(argv[4]);
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(0, x, y, width, height).toImage();
    if (image.size() != QSize(width, height))
        return 1;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column)
            std::printf("%s\n", qPrintable(QColor(image.pixel(column, row)).name()));
    }
    return 0;
}
