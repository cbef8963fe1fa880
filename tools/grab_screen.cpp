// Saves a rectangle of the X screen as a PNG file, for the README's picture
// of the window (scripts/take-screenshot), so that no image tools beyond Qt
// are needed:
//   QT_QPA_PLATFORM=xcb build-tools/grab_screen out.png [left top width height]
// Without a rectangle the whole screen is saved.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <cstdio>

int main(int argc, char* argv[]) {
  QGuiApplication application(argc, argv);
  const QStringList arguments = QGuiApplication::arguments();
  if (arguments.size() != 2 && arguments.size() != 6) {
    std::fputs("usage: grab_screen out.png [left top width height]\n", stderr);
    return 2;
  }
  int rectangle[4] = {0, 0, -1, -1};
  for (int i = 0; i < 4 && arguments.size() == 6; ++i) {
    bool ok = false;
    rectangle[i] = arguments[i + 2].toInt(&ok);
    if (!ok) {
      std::fprintf(stderr, "grab_screen: not a number: %s\n", qPrintable(arguments[i + 2]));
      return 2;
    }
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    std::fputs("grab_screen: no screen\n", stderr);
    return 1;
  }
  // Window 0 is the root window: what is on the screen, frames included.
  const QPixmap picture =
      screen->grabWindow(0, rectangle[0], rectangle[1], rectangle[2], rectangle[3]);
  if (picture.isNull() || !picture.save(arguments[1], "PNG")) {
    std::fprintf(stderr, "grab_screen: could not save %s\n", qPrintable(arguments[1]));
    return 1;
  }
  return 0;
}
