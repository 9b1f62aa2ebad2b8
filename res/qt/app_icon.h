// The application icon built from the icon resource's 16-colour images.
#pragma once

#include <QIcon>
#include <QImage>

// The 32 x 32 and 16 x 16 images of icon 128.
QIcon AppIcon();

// One image of icon 128 (size 32 or 16) as an indexed image; null for other sizes.
QImage AppIconImage(int size);
