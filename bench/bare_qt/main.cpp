// One 480x800 window with a label. With --first-frame-time it prints the time from entering
// main() to the end of the first paint, measured by the application's own watch, and exits.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/first_frame_watch.h"

using Clock = std::chrono::steady_clock;
using velomar::FirstFrameWatch;

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
