// Process entry of the organiser. The main window and its start-up sequence
// grow here; for now it opens the fixed-size, always-on-top panel.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Velmora");
    window.setFixedSize(330, 560);
    window.setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint);
    window.setStyleSheet("background: white;");
    window.show();
    return app.exec();
}
