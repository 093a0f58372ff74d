// make-images: writes the display's seven pictures into the folder given as
// its one argument. The build runs it to fill bin/System/Image.
#include "image_artist.h"

#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-images <folder>\n");
        return 2;
    }
    QString error;
    if (!skerrow::ImageArtist::WriteAll(QString::fromLocal8Bit(argv[1]), &error)) {
        std::fprintf(stderr, "make-images: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
