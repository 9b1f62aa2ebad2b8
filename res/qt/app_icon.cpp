#include "res/qt/app_icon.h"

#include <QPixmap>

#include "res/resources.h"

QImage AppIconImage(int size) {
    for (const auto& image : vortan::res::Icon128()) {
        if (image.size != size) continue;
        QImage out(size, size, QImage::Format_Indexed8);
        QList<QRgb> colors;
        for (std::uint32_t rgb : vortan::res::IconPalette()) colors.push_back(0xFF000000u | rgb);
        out.setColorTable(colors);
        for (int y = 0; y < size; ++y) {
            uchar* line = out.scanLine(y);
            for (int x = 0; x < size; ++x) line[x] = image.pixels[std::size_t(y) * size + x];
        }
        return out;
    }
    return QImage();
}

QIcon AppIcon() {
    QIcon icon;
    for (const auto& image : vortan::res::Icon128())
        icon.addPixmap(QPixmap::fromImage(AppIconImage(image.size)));
    return icon;
}
