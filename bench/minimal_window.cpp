// The yardstick for the start-up benchmark: the smallest Qt Widgets program that shows a
// window. Prints the milliseconds from process start to the window being shown.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

static double MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("minimal");
    window.resize(400, 300);
    window.show();
    QTimer::singleShot(0, [] {
        std::printf("shown %.3f\n", MonotonicMs());
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    return app.exec();
}
