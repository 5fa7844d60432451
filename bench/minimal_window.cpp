// The yardstick for the start-up benchmark: the smallest Qt Widgets program that shows a
// window. Prints the milliseconds from process start to the window being shown.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

static double MonotonicMs() {
    // The monotonic clock, the same in every process of the machine.
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
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
