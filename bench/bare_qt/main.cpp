// One 480x800 window with a label. With --first-frame-time it prints the time from entering
// main() to the end of the first paint, measured as velomar measures it, and exits.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMetaObject>
#include <QVBoxLayout>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

// Watches every object of the application for the first paint.
class FirstFrameWatch : public QObject {
  public:
    explicit FirstFrameWatch(Clock::time_point started) : m_started(started) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Queued: runs once the repaint pass that starts here (children, flush) is over.
            QMetaObject::invokeMethod(
                qApp,
                [this] {
                    const std::chrono::duration<double, std::milli> elapsed =
                        Clock::now() - m_started;
                    std::printf("first frame: %.3f ms\n", elapsed.count());
                    std::fflush(stdout);
                    QApplication::exit(0);
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    Clock::time_point m_started;
    bool m_seen = false;
};

}  // namespace

int main(int argc, char** argv) {
    const Clock::time_point started = Clock::now();
    bool firstFrameTime = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--first-frame-time") == 0) {
            firstFrameTime = true;
        } else {
            std::fprintf(stderr, "usage: velomar-bare-qt [--first-frame-time]\n");
            return 2;
        }
    }
    QApplication app(argc, argv);
    FirstFrameWatch watch(started);
    if (firstFrameTime) {
        app.installEventFilter(&watch);
    }
    QWidget screen;
    screen.setWindowTitle(QStringLiteral("velomar-bare-qt"));
    screen.setFixedSize(480, 800);
    auto* layout = new QVBoxLayout(&screen);
    layout->addWidget(new QLabel(QStringLiteral("빈 창"), &screen));
    screen.show();
    return QApplication::exec();
}
