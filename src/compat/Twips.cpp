#include "compat/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace compat {

namespace {
constexpr int kTwipsPerPixel = 12;
} // namespace

int Twips(int twips)
{
    return static_cast<int>(std::lround(twips / double(kTwipsPerPixel)));
}

int ToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

void CentreOnScreen(QWidget *w)
{
    if (QScreen *screen = QGuiApplication::primaryScreen())
        w->move(screen->availableGeometry().center() - w->rect().center());
}

void PlaceTwips(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(Twips(left), Twips(top), Twips(width), Twips(height));
}

} // namespace compat
