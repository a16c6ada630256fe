#pragma once

// Prints the time from a start point to the end of the first paint anywhere in the
// application, then quits. Header-only so that the bare Qt program the benchmarks compare
// with measures exactly the same way.

#include <QApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <chrono>
#include <cstdio>

namespace velomar {

class FirstFrameWatch : public QObject {
  public:
    explicit FirstFrameWatch(std::chrono::steady_clock::time_point started) : m_started(started) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Queued: runs once the repaint pass that starts here (children, flush) is over.
            QMetaObject::invokeMethod(
                qApp,
                [this] {
                    const std::chrono::duration<double, std::milli> elapsed =
                        std::chrono::steady_clock::now() - m_started;
                    std::printf("first frame: %.3f ms\n", elapsed.count());
                    std::fflush(stdout);
                    QApplication::exit(0);
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::chrono::steady_clock::time_point m_started;
    bool m_seen = false;
};

}  // namespace velomar
