#pragma once

// Drives the blocking dialogs from inside a test: the call under test runs the
// dialog's own event loop, and a timer acts on the dialog from within it.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace runemill {

// Runs `act` on the modal window once it is shown and active, or on whatever
// is modal when it has not come up after a few seconds.
inline void WhenModalShows(std::function<void(QWidget*)> act) {
  auto* poll = new QTimer;
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act), tries = 0]() mutable {
    QWidget* modal = QApplication::activeModalWidget();
    const bool ready = modal && modal->isActiveWindow();
    if (!ready && ++tries < 500) return;
    poll->stop();
    poll->deleteLater();
    if (modal) act(modal);
  });
  poll->start();
}

// Closes the topmost modal window every few seconds while it runs, so that a
// dialog the test fails to close, or one it does not expect, fails the test
// instead of hanging it.
class ModalWatchdog {
 public:
  ModalWatchdog() {
    timer_.setInterval(5000);
    QObject::connect(&timer_, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
  }
  void Start() { timer_.start(); }
  void Stop() { timer_.stop(); }

 private:
  QTimer timer_;
};

}  // namespace runemill
